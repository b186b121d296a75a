#include "valdrex/io/saver.h"

#include "valdrex/host/failure.h"
#include "valdrex/io/write_limits.h"
#include "valdrex/io/xlsx_writer.h"

namespace valdrex::io {

void attachSaver(host::MemoryWorkbook& book) {
  book.setSaver([](host::MemoryWorkbook& b) {
    if (b.path().empty()) throw Failure(FailureKind::HostError, "工作簿还没有文件名，无法保存");
    try {
      refuseUnwritable(b, b.path());
      writeWorkbook(b, b.path());
    } catch (const FileError& e) {
      throw Failure(FailureKind::HostError, e.what());
    }
  });
}

}  // namespace valdrex::io
