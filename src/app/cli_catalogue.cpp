#include "app/cli_catalogue.h"

#include "core/convert_document.h"

namespace tovenrak::app {

namespace {

constexpr std::string_view kUsageText =
    R"(Usage: tovenrak-convert [OPTION]... [FILE]...
Convert Chinese web pages and text files between encodings (Big5, GB,
GB18030, UTF-8) and between traditional and simplified characters, and
rewrite each page's charset and XML declarations to name its new encoding.

With FILE of -, or no FILE while standard input is not a terminal, read
standard input and write the result to standard output. Each other FILE is
written under its own name into the output folder; with --recursive, the
documents of a FOLDER are written under their paths below it.

  -t, --to=ENCODING   auto (default), gb (also gbk, gb2312), big5, gb18030
                        or utf-8 (also utf8); auto converts Big5 to GB, GB
                        and GB18030 to Big5, and UTF-8 to UTF-8 in the
                        other script
  -f, --from=ENCODING auto (default: detected from a byte-order mark, the
                        page's own declaration, UTF-8 validity, or which of
                        Big5 and GB reads as likelier Chinese), or one of
                        the encodings of --to
  -s, --script=WHICH  simplified, traditional or keep; the default is
                        simplified for gb, traditional for big5, the other
                        script for auto, keep for utf-8 and gb18030
      --variant=WHICH tw (default: Taiwan characters), twp (Taiwan
                        characters and idioms), hk (Hong Kong) or std
                        (OpenCC's standard characters)
      --markup=HOW    auto (default: a file named .htm, .html, .php, .xml
                        and the like, or whose text begins as a page does,
                        with <!DOCTYPE, <html or a tag of HTML), html or
                        text; a page read as markup keeps its links,
                        scripts, styles and tags, and converts its text,
                        titles, alt texts and comments; a script or style
                        sheet it loads from a file without naming its
                        charset is told the page's old encoding; text
                        converts everything
  -o, --output=DIR    write converted files into DIR (default: the current
                        folder), which is created when missing
  -r, --recursive     convert the documents in each FOLDER named and in the
                        folders below it; links are not followed
      --ext=LIST      the extensions of the documents in folders, separated
                        by commas; other files are skipped (default:
                        {0})
  -j, --jobs=N        convert N files at a time (default: one per core); with
                        fewer files, a large one is converted on several
      --overwrite     allow writing over an input file
      --phrases=FILE  apply the phrases of FILE (OpenCC's text form: one
                        FROM<TAB>TO line each) before the dictionaries;
                        may be repeated, a later FILE winning
      --ambiguities   list on standard output each place where a character
                        could have been converted otherwise, as
                        FILE:LINE:COLUMN: X -> Y (CANDIDATES); files are
                        written only when --output is given
  -q, --quiet         print only errors
  -v, --verbose       print one line per file: its encoding and why, the
                        target, and what was written as references or kept
  -h, --help          display this help and exit
      --version       output version information and exit

Characters with no code in the target encoding are written as HTML
references (&#N;), or in the scripts and style sheets of a page read as
markup as their own escapes (\uXXXX, \XXXXXX); bytes that are not valid in
the source encoding are kept unchanged. A failed file is reported and never
half written.

Exit status:
 0  if all files were converted,
 1  if some files failed,
 2  if the command line was wrong.
)";

constexpr Translation kTranslations[] = {
    {kUsageText,
     R"(用法：tovenrak-convert [选项]... [文件]...
在各种编码（Big5、GB、GB18030、UTF-8）之间以及繁体字和简体字之间转换中文网页
和文本文件，并改写每个网页的 charset 声明和 XML 声明，使其写明新的编码。

文件为 - 时，或标准输入不是终端而不指定文件时，读取标准输入，把结果写到标准
输出。其他文件按原名写入输出文件夹；使用 --recursive 时，文件夹中的文档按其在
该文件夹下的路径写入。

  -t, --to=编码       auto（默认）、gb（也可写 gbk、gb2312）、big5、gb18030
                        或 utf-8（也可写 utf8）；auto 把 Big5 转为 GB，把 GB
                        和 GB18030 转为 Big5，把 UTF-8 转为另一种字的 UTF-8
  -f, --from=编码     auto（默认：依据字节顺序标记、网页自己的声明、是否为
                        有效的 UTF-8，或 Big5 和 GB 哪种读来更像中文来判断），
                        或 --to 的编码之一
  -s, --script=简繁   simplified（简体）、traditional（繁体）或 keep（不变）；
                        默认 gb 为简体，big5 为繁体，auto 为另一种，utf-8 和
                        gb18030 不变
      --variant=标准  tw（默认：台湾字形）、twp（台湾字形和惯用词）、
                        hk（香港字形）或 std（OpenCC 的标准字形）
      --markup=方式   auto（默认：文件名为 .htm、.html、.php、.xml 等，或文本
                        像网页那样以 <!DOCTYPE、<html 或 HTML 标签开头的按网页
                        处理）、html 或 text；按网页处理时保留链接、脚本、样式
                        和标签，转换正文、标题、替代文字和注释；从文件载入、
                        未注明 charset 的脚本或样式表，注明网页原来的编码；
                        text 全部转换
  -o, --output=目录   把转换后的文件写入该目录（默认：当前文件夹），目录不存在
                        时创建
  -r, --recursive     转换指定的每个文件夹及其下各层文件夹中的文档；不跟随链接
      --ext=列表      文件夹中文档的扩展名，以逗号分隔；其他文件跳过（默认：
                        {0}）
  -j, --jobs=N        同时转换 N 个文件（默认：每个处理器核心一个）；文件较少
                        时，大文件分在多个线程上转换
      --overwrite     允许覆盖输入文件
      --phrases=FILE  在词典之前套用 FILE 中的词组（OpenCC 文本格式：每行
                        一条 原文<TAB>译文）；可重复，后面的文件优先
      --ambiguities   在标准输出列出每个可能有别的转换结果的字符，格式为
                        文件:行:列: X -> Y (候选)；只有给出 --output 时
                        才写入转换后的文件
  -q, --quiet         只显示错误
  -v, --verbose       每个文件显示一行：编码及判断依据、目标编码，以及写作字符
                        引用或原样保留的内容
  -h, --help          显示此帮助信息并退出
      --version       显示版本信息并退出

目标编码中没有的字符写作 HTML 字符引用（&#N;），按标记读取的网页中的脚本
和样式表里则写作其自身的转义（\uXXXX、\XXXXXX）；源编码中无效的字节原样保留。
转换失败的文件会报告出来，绝不会只写一半。

退出状态：
 0  所有文件都已转换，
 1  有文件转换失败，
 2  命令行有误。
)"},
    {", as markup", "，按网页处理"},
    {"written, but not safely on disk: {0}", "已写入，但未能确保存到磁盘：{0}"},
    {", as text", "，按文本处理"},
    {"warning: {0}: read to the end of the file, as browsers read it",
     "警告：{0}，已像浏览器那样读到文件末尾"},
    {"warning: {0} of its lines (the first is line {1}) read as {2}, not as "
     "{3}, in which the whole file was read and converted: it mixes "
     "encodings",
     "警告：有 {0} 行（第一行是第 {1} 行）像是 {2} 码，但全文已按 {3} "
     "码读取和转换：文件混用了编码"},
    // The command line.
    {"invalid argument '{0}' for '{1}' (valid: {2})",
     "选项“{1}”的参数“{0}”无效（可用：{2}）"},
    {"invalid number of jobs '{0}' (1 to 1024)",
     "无效的并行数“{0}”（应为 1 到 1024）"},
    {"option '{0}' requires an argument", "选项“{0}”需要一个参数"},
    {"option '{0}' doesn't allow an argument", "选项“{0}”不接受参数"},
    {"empty output folder", "输出文件夹名为空"},
    {"'-o -' names no folder: give no file, or '-', to convert standard input "
     "to standard output",
     "“-o -”不是文件夹：要把标准输入转换到标准输出，请不给文件或给“-”"},
    {"empty extension list", "扩展名列表为空"},
    {"invalid extension '{0}'", "无效的扩展名“{0}”"},
    {"unrecognized option '{0}'", "无法识别的选项“{0}”"},
    {"invalid option -- '{0}'", "无效的选项 -- “{0}”"},
    {"missing file operand", "缺少文件参数"},
    {"Try 'tovenrak-convert --help' for more information.",
     "请执行“tovenrak-convert --help”查看更多信息。"},
    // Files and folders.
    {"not a file name", "不是文件名"},
    {"is a folder (use --recursive)",
     "是文件夹（要转换其中的文档，请用 --recursive）"},
    {"would write over input file {0} (use --overwrite)",
     "会覆盖输入文件 {0}（确需覆盖请用 --overwrite）"},
    {"would write over input file {0}; output not written",
     "会覆盖输入文件 {0}；没有写入输出"},
    {"a link: --overwrite would replace the link, not convert the file it "
     "points to; name that file",
     "是链接：--overwrite "
     "会把链接本身换成文件，而不是转换它指向的文件；请改为指定该文件"},
    {"warning: its PHP was converted as text, with {0} characters ending "
     "in the byte '\\', which in a PHP string escapes what follows (convert it "
     "without --markup text to keep its strings)",
     "警告：其中的 PHP 被当作文本转换：有 {0} 个字符以字节“\\”结尾，在 PHP "
     "字符串中会转义其后的字符（不用 --markup text 转换可保持字符串不变）"},
    {"warning: {0} of its characters end in the byte '\\' right before a "
     "quote or a '\\', which code (a C string, an INI or JSON value) reads as "
     "an escape of what follows",
     "警告：其中有 {0} 个字符以字节“\\”结尾且紧接引号或“\\”，程序代码（C "
     "字符串、INI 或 JSON 的值）会把这个字节读作转义"},
    {"warning: {0} of its characters (the first: {1}) have Big5 codes "
     "only in Hong Kong's HKSCS or ETEN's extensions, which browsers read "
     "and Windows' code page 950 (iconv's BIG5, CP950) does not",
     "警告：其中有 {0} 个字符（第一个是“{1}”）只有香港增补字符集（HKSCS）或"
     "倚天扩充的 Big5 码，浏览器能读，Windows 的 950 代码页（iconv 的 "
     "BIG5、CP950）不能读"},
    {"not converted: with --ambiguities standard output holds the list, and "
     "standard input's conversion would go nowhere",
     "没有转换：使用 --ambiguities "
     "时标准输出用于疑点列表，标准输入的转换结果无处可写"},
    {"warning: --phrases does nothing where the script is kept (name one "
     "with --script)",
     "警告：保持字形不变时 --phrases 不起作用（请用 --script 指定字形）"},
    {"has the same name as {0}; output not written",
     "与 {0} 同名；没有写入输出"},
    {"would write over {0}, a file of the folder being converted (use "
     "--overwrite)",
     "会覆盖正在转换的文件夹中原有的文件 {0}（确需覆盖请用 --overwrite）"},
    {"cannot write {0}: {1}", "无法写入 {0}：{1}"},
    {" (if it is in Big5, GB or UTF-8 after all, name that with --from)",
     "（如果它其实是 Big5、GB 或 UTF-8 编码，请用 --from 指明）"},
    {core::kBinaryReason, "含有二进制数据（NUL 字节），不是网页或文本文件"},
    {core::kUtf16Reason,
     "是不完整的 UTF-16 文本（末尾多一个字节，或字符只有一半）"},
    {core::kOtherEncodingReason, "声明的编码不是 Big5、GB 或 UTF-8："},
    {core::kSingleByteLettersReason,
     "没有声明编码，内容像西文或俄文的单字节编码，不像中文"},
    {core::kJapaneseOrKoreanReason, "内容像日文或韩文（假名或谚文），不像中文"},
    {" (if it is Chinese, name its encoding with --from)",
     "（如果它是中文，请用 --from 指明其编码）"},
    {"cannot create folder {0}: {1}", "无法创建文件夹 {0}：{1}"},
    {"cannot create output folder {0}: {1}", "无法创建输出文件夹 {0}：{1}"},
    {"standard input is larger than {0} MiB", "标准输入大于 {0} MiB"},
    {"cannot read standard input", "无法读取标准输入"},
    {"cannot write standard output", "无法写入标准输出"},
    {"cannot write standard output: {0}", "无法写入标准输出：{0}"},
    {core::kNamedOverUtf16Reason,
     "以 UTF-16 的字节顺序标记开头，不是所指明编码的文本"},
    {" (leave out --from to read it as UTF-16)",
     "（不用 --from 即可按 UTF-16 读取）"},
    {"would write over {0}, which a running program holds (a window's preview "
     "file); output not written",
     "会覆盖正在运行的程序占用的 {0}（窗口的预览文件），未写入"},
    {"warning: read as UTF-16 and written as {0}, as this program writes no "
     "UTF-16",
     "警告：按 UTF-16 读取，写成了 {0}：本程序不写 UTF-16"},
    {"standard input was already read", "标准输入已经读过"},
    {"skipped (not a document)", "已跳过（不是文档）"},
    {"skipped (a link; links are not followed)", "已跳过（链接，不跟随）"},
    {"skipped (in the output folder)", "已跳过（在输出文件夹中）"},
    {"warning: {0} documents in the output folder {1}, inside a folder "
     "converted, were left as they are (--verbose lists them)",
     "警告：输出文件夹 {1} 在所转换的文件夹中，其中的 {0} 个文档保持原样，"
     "未转换（--verbose 列出它们）"},
    {"warning: its characters read as well in {1} as in {0}; read as {0} "
     "(name its encoding with --from if that is wrong)",
     "警告：其中的字按 {1} 和按 {0} 读都一样通顺，已按 {0} 读取（如果不对，"
     "请用 --from 指明其编码）"},
    {"warning: its characters read as well in {1} as in {0}; read as {0}, "
     "like more files of this run (name its encoding with --from if that is "
     "wrong)",
     "警告：其中的字按 {1} 和按 {0} 读都一样通顺，已按本批较多文件的编码 {0} "
     "读取（如果不对，请用 --from 指明其编码）"},
    {"skipped (the same file as {0})", "已跳过（与 {0} 是同一个文件）"},
    // What happened.
    {"{0} ({1})", "{0}（{1}）"},
    {"{0} ({1}, declared {2})", "{0}（{1}，声明为 {2}）"},
    {"{0} -> {1}, {2}; {3} references, {4} invalid byte sequences",
     "{0} -> {1}，{2}；{3} 个字符引用，{4} 个无效字节序列"},
    {"named", "指定"},
    {"byte-order mark", "字节顺序标记"},
    {"declaration", "声明"},
    {"statistics", "统计"},
    {"read as well either way; it mentions big5",
     "两种读法一样通顺，提到了 big5"},
    {"read as well either way; it does not mention big5",
     "两种读法一样通顺，没有提到 big5"},
    {"its bytes read as UTF-8", "字节符合 UTF-8"},
    {"ASCII only", "只有 ASCII 字符"},
    {"like more files of the run", "与同批较多文件相同"},
    {"simplified", "简体"},
    {"traditional", "繁体"},
    {"script kept", "简繁不变"},
    {"warning: output is not valid UTF-8: {0} invalid byte sequences kept as "
     "written",
     "警告：输出不是有效的 UTF-8：{0} 个无效字节序列按原样保留"},
    {"warning: {0} invalid byte sequences kept as written, which in {1} may "
     "read as other characters",
     "警告：{0} 个无效字节序列按原样保留，在 {1} 码中可能被读成别的字"},
    {"warning: {0} characters that {1} lacks written as references inside "
     "server code (PHP, ASP or an include), which the server does not read "
     "as characters",
     "警告：{1} 码没有的 {0} 个字符在服务器代码（PHP、ASP 或 "
     "include）中写作字符引用，"
     "服务器不会把它们读成字符"},
    {"{0} file converted, {1} failed, {2} characters written as references, "
     "{3} invalid byte sequences passed through",
     "转换了 {0} 个文件，失败 {1} 个，{2} 个字符写作字符引用，{3} "
     "个无效字节序列原样保留"},
    {"{0} files converted, {1} failed, {2} characters written as references, "
     "{3} invalid byte sequences passed through",
     "转换了 {0} 个文件，失败 {1} 个，{2} 个字符写作字符引用，{3} "
     "个无效字节序列原样保留"},
    {"{0} file looked through, {1} failed, nothing written",
     "查看了 {0} 个文件，失败 {1} 个，没有写入文件"},
    {"{0} files looked through, {1} failed, nothing written",
     "查看了 {0} 个文件，失败 {1} 个，没有写入文件"},
    {", {0} other files skipped", "，跳过其他文件 {0} 个"},
};

}  // namespace

std::span<const Translation> Translations() { return kTranslations; }

std::string_view UsageText() { return kUsageText; }

}  // namespace tovenrak::app
