#include "platform/os_reason_text.h"

#include <cerrno>
#include <cstring>

namespace tovenrak::platform {

namespace {

struct OsReason {
  int value;
  const char* text;
};

// Compared with strerror's text at the time of asking, so that the table
// also matches where the C library speaks the user's language.
constexpr OsReason kOsReasons[] = {
    {ENOENT, "没有那个文件或文件夹"},
    {EACCES, "权限不够"},
    {EPERM, "不允许的操作"},
    {ENOSPC, "磁盘已满"},
    {EROFS, "磁盘只读，不能写入"},
    {EISDIR, "是一个文件夹"},
    {ENOTDIR, "路径中有一部分不是文件夹"},
    {EEXIST, "文件已存在"},
    {ENAMETOOLONG, "文件名太长"},
    {EMFILE, "打开的文件太多"},
    {ENFILE, "系统中打开的文件太多"},
    {EIO, "读写磁盘时出错"},
    {EDQUOT, "超出磁盘配额"},
    {EXDEV, "不能跨磁盘链接"},
    {ELOOP, "符号链接的层数太多"},
    {ETXTBSY, "文件是正在运行的程序，不能改写"},
    {EFBIG, "文件太大"},
    {ENOMEM, "内存不足"},
    {EBUSY, "设备或文件正忙"},
    {ENODEV, "没有那个设备"},
    {ENXIO, "没有那个设备或地址"},
    {EINVAL, "无效的参数"},
    {ESTALE, "网络文件已失效"},
};

}  // namespace

std::string OsReasonText(const std::string& reason) {
  for (const OsReason& known : kOsReasons) {
    if (reason == std::strerror(known.value)) return known.text;
  }
  return reason;
}

}  // namespace tovenrak::platform
