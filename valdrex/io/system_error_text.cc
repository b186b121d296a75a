#include "valdrex/io/system_error_text.h"

#include <cerrno>
#include <cstring>

namespace valdrex::io {

std::string systemErrorText(int error) {
  switch (error) {
    case ENOSPC:
      return "磁盘已满。请删除不需要的文件腾出空间，或另选一个磁盘，然后重试";
    case EDQUOT:
      return "超出了这个磁盘分给你的空间（配额）。请删除不需要的文件，或另选一个磁盘，然后重试";
    case EFBIG:
      return "文件超过了这个磁盘允许的大小。请另选一个磁盘后重试";
    case EACCES:
    case EPERM:
      return "没有权限。请确认这个文件夹可以写入，或另选一个文件夹";
    case EROFS:
      return "磁盘是只读的。请另选一个可以写入的文件夹";
    case EIO:
      return "磁盘读写出错（磁盘、U 盘或网络盘可能有问题）。请检查它后重试，或另选一个磁盘";
    case ENOMEM:
      return "内存不足。请关闭其他程序后重试";
    case EMFILE:
    case ENFILE:
      return "打开的文件太多。请关闭其他程序后重试";
    default:
      return std::strerror(error);
  }
}

}  // namespace valdrex::io
