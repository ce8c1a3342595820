<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW">
<context>
    <name>QtAboutStrip</name>
    <message>
        <source>分隔线</source>
        <translation>分隔線</translation>
    </message>
    <message>
        <source>Tovenrak 图标</source>
        <translation>Tovenrak 圖示</translation>
    </message>
    <message>
        <source>请访问我们的 WWW 站点以获得最新资料：</source>
        <translation>請造訪我們的 WWW 網站以取得最新資料：</translation>
    </message>
    <message>
        <source>Zemlorin 标志</source>
        <translation>Zemlorin 標誌</translation>
    </message>
</context>
<context>
    <name>QtBatView</name>
    <message>
        <source>批量转换</source>
        <translation>批次轉換</translation>
    </message>
    <message>
        <source>待转换文件：</source>
        <translation>待轉換檔案：</translation>
    </message>
    <message>
        <source>待转换文件</source>
        <translation>待轉換檔案</translation>
    </message>
    <message>
        <source>加入(&amp;A)...</source>
        <translation>加入(&amp;A)...</translation>
    </message>
    <message>
        <source>加入...</source>
        <translation>加入...</translation>
    </message>
    <message>
        <source>移除(&amp;D)</source>
        <translation>移除(&amp;D)</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>移除</translation>
    </message>
    <message>
        <source>开始转换(&amp;S)</source>
        <translation>開始轉換(&amp;S)</translation>
    </message>
    <message>
        <source>开始转换</source>
        <translation>開始轉換</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>關閉</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>正在停止……</source>
        <translation>正在停止……</translation>
    </message>
    <message>
        <source>转换至：</source>
        <translation>轉換至：</translation>
    </message>
    <message>
        <source>转换至</source>
        <translation>轉換至</translation>
    </message>
    <message>
        <source>驱动器</source>
        <translation>磁碟機</translation>
    </message>
    <message>
        <source>文件夹</source>
        <translation>資料夾</translation>
    </message>
    <message>
        <source>目标编码：</source>
        <translation>目標編碼：</translation>
    </message>
    <message>
        <source>目标编码</source>
        <translation>目標編碼</translation>
    </message>
    <message>
        <source>自动 (GB ⇄ Big5)</source>
        <translation>自動 (GB ⇄ Big5)</translation>
    </message>
    <message>
        <source>UTF-8 简体</source>
        <translation>UTF-8 簡體</translation>
    </message>
    <message>
        <source>UTF-8 繁體</source>
        <translation>UTF-8 繁體</translation>
    </message>
    <message>
        <source>转换进度</source>
        <translation>轉換進度</translation>
    </message>
    <message>
        <source>写出疑点清单</source>
        <translation>寫出疑點清單</translation>
    </message>
    <message>
        <source>在目标文件夹中写出 tovenrak-review.txt，列出每个转换时有多种写法的字</source>
        <translation>在目標資料夾中寫出 tovenrak-review.txt，列出每個轉換時有多種寫法的字</translation>
    </message>
    <message>
        <source>加入文件(&amp;A)...</source>
        <translation>加入檔案(&amp;A)...</translation>
    </message>
    <message>
        <source>加入文件夹(&amp;F)...</source>
        <translation>加入資料夾(&amp;F)...</translation>
    </message>
</context>
<context>
    <name>QtMainWindow</name>
    <message>
        <source>工作区</source>
        <translation>工作區</translation>
    </message>
    <message>
        <source>页面预览：</source>
        <translation>頁面預覽：</translation>
    </message>
    <message>
        <source>源文件：</source>
        <translation>原始檔：</translation>
    </message>
    <message>
        <source>菜单栏</source>
        <translation>選單列</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>檔案(&amp;F)</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>檔案</translation>
    </message>
    <message>
        <source>打开(&amp;O)</source>
        <translation>開啟(&amp;O)</translation>
    </message>
    <message>
        <source>清除(&amp;C)</source>
        <translation>清除(&amp;C)</translation>
    </message>
    <message>
        <source>批量转换(&amp;T)...</source>
        <translation>批次轉換(&amp;T)...</translation>
    </message>
    <message>
        <source>退出(&amp;X)</source>
        <translation>結束(&amp;X)</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>說明(&amp;H)</translation>
    </message>
    <message>
        <source>帮助</source>
        <translation>說明</translation>
    </message>
    <message>
        <source>技术站点(&amp;T)...</source>
        <translation>技術網站(&amp;T)...</translation>
    </message>
    <message>
        <source>关于 Tovenrak (&amp;A)...</source>
        <translation>關於 Tovenrak (&amp;A)...</translation>
    </message>
    <message>
        <source>转换(&amp;V)</source>
        <translation>轉換(&amp;V)</translation>
    </message>
    <message>
        <source>转换</source>
        <translation>轉換</translation>
    </message>
    <message>
        <source>转换为 &amp;GB</source>
        <translation>轉換為 &amp;GB</translation>
    </message>
    <message>
        <source>转换为 &amp;Big5</source>
        <translation>轉換為 &amp;Big5</translation>
    </message>
    <message>
        <source>转换为 UTF-8 简体(&amp;S)</source>
        <translation>轉換為 UTF-8 簡體(&amp;S)</translation>
    </message>
    <message>
        <source>转换为 UTF-8 繁體(&amp;T)</source>
        <translation>轉換為 UTF-8 繁體(&amp;T)</translation>
    </message>
    <message>
        <source>转换为 GB1803&amp;0</source>
        <translation>轉換為 GB1803&amp;0</translation>
    </message>
    <message>
        <source>繁体标准(&amp;R)</source>
        <translation>繁體標準(&amp;R)</translation>
    </message>
    <message>
        <source>繁体标准</source>
        <translation>繁體標準</translation>
    </message>
    <message>
        <source>台湾(&amp;W)</source>
        <translation>臺灣(&amp;W)</translation>
    </message>
    <message>
        <source>台湾惯用词(&amp;P)</source>
        <translation>臺灣慣用詞(&amp;P)</translation>
    </message>
    <message>
        <source>香港(&amp;H)</source>
        <translation>香港(&amp;H)</translation>
    </message>
    <message>
        <source>通用(&amp;S)</source>
        <translation>通用(&amp;S)</translation>
    </message>
</context>
<context>
    <name>QtPagePreview</name>
    <message>
        <source>页面预览</source>
        <translation>頁面預覽</translation>
    </message>
    <message>
        <source>&lt;p&gt;这个页面大于 %1 MiB，不在此预览；源文件中可以查看、转换和保存。&lt;/p&gt;</source>
        <translation>&lt;p&gt;這個頁面大於 %1 MiB，不在此預覽；原始檔中可以檢視、轉換和儲存。&lt;/p&gt;</translation>
    </message>
</context>
<context>
    <name>QtSourceView</name>
    <message>
        <source>源文件</source>
        <translation>原始檔</translation>
    </message>
</context>
<context>
    <name>QtStatusBar</name>
    <message>
        <source>状态栏</source>
        <translation>狀態列</translation>
    </message>
    <message>
        <source>浏览器状态</source>
        <translation>瀏覽器狀態</translation>
    </message>
    <message>
        <source>编码状态</source>
        <translation>編碼狀態</translation>
    </message>
    <message>
        <source>文件处于 Big5 码状态</source>
        <translation>檔案處於 Big5 碼狀態</translation>
    </message>
    <message>
        <source>编码检测</source>
        <translation>編碼偵測</translation>
    </message>
</context>
<context>
    <name>QtToolbar</name>
    <message>
        <source>工具栏</source>
        <translation>工具列</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>開啟</translation>
    </message>
    <message>
        <source>打开一个文件进行内码转换</source>
        <translation>開啟一個檔案進行內碼轉換</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>清除当前文本</source>
        <translation>清除目前文字</translation>
    </message>
    <message>
        <source>批量</source>
        <translation>批次</translation>
    </message>
    <message>
        <source>批量转换文件内码</source>
        <translation>批次轉換檔案內碼</translation>
    </message>
    <message>
        <source>将当前文件转换为 GB 码</source>
        <translation>將目前檔案轉換為 GB 碼</translation>
    </message>
    <message>
        <source>将当前文件转换为 Big5 码</source>
        <translation>將目前檔案轉換為 Big5 碼</translation>
    </message>
    <message>
        <source>间隔</source>
        <translation>間隔</translation>
    </message>
</context>
<context>
    <name>WindowTexts</name>
    <message>
        <source>完成</source>
        <translation>完成</translation>
    </message>
    <message>
        <source>正在打开页面……</source>
        <translation>正在開啟頁面……</translation>
    </message>
    <message>
        <source>页面无法显示</source>
        <translation>頁面無法顯示</translation>
    </message>
    <message>
        <source>文件处于 GB 码状态</source>
        <translation>檔案處於 GB 碼狀態</translation>
    </message>
    <message>
        <source>文件处于 Big5 码状态</source>
        <translation>檔案處於 Big5 碼狀態</translation>
    </message>
    <message>
        <source>文件处于 GB18030 码状态</source>
        <translation>檔案處於 GB18030 碼狀態</translation>
    </message>
    <message>
        <source>文件处于 UTF-8 码状态</source>
        <translation>檔案處於 UTF-8 碼狀態</translation>
    </message>
    <message>
        <source>Zemlorin Tovenrak - 批量转换</source>
        <translation>Zemlorin Tovenrak - 批次轉換</translation>
    </message>
    <message>
        <source>请您选定要转换的文件，再开始转换。</source>
        <translation>請您選定要轉換的檔案，再開始轉換。</translation>
    </message>
</context>
<context>
    <name>QtReviewView</name>
    <message>
        <source>疑点数</source>
        <translation>疑點數</translation>
    </message>
    <message>
        <source>审阅(&amp;R)</source>
        <translation>審閱(&amp;R)</translation>
    </message>
    <message>
        <source>审阅</source>
        <translation>審閱</translation>
    </message>
    <message>
        <source>下一个疑点(&amp;N)</source>
        <translation>下一個疑點(&amp;N)</translation>
    </message>
    <message>
        <source>上一个疑点(&amp;P)</source>
        <translation>上一個疑點(&amp;P)</translation>
    </message>
    <message>
        <source>保存(&amp;S)...</source>
        <translation>儲存(&amp;S)...</translation>
    </message>
    <message>
        <source>改为“%1”</source>
        <translation>改為「%1」</translation>
    </message>
    <message>
        <source>改为“%1”（%2）</source>
        <translation>改為「%1」（%2）</translation>
    </message>
    <message>
        <source>
右键单击可改用其他写法</source>
        <translation>
按右鍵可改用其他寫法</translation>
    </message>
</context>
</TS>
