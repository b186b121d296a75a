#include "cli/workbook_io.h"

#include <ostream>

#include "valdrex/io/io_error.h"
#include "valdrex/io/write_limits.h"
#include "valdrex/io/xlsx_reader.h"
#include "valdrex/io/xlsx_writer.h"
#include "valdrex/job/workbook_files.h"

namespace valdrex::cli {

std::unique_ptr<host::MemoryWorkbook> readWorkbookOrTell(const std::string& path,
                                                         std::ostream& err) {
  try {
    return io::readWorkbook(path);
  } catch (const io::FileError& e) {
    err << readProblem(e.what()) << '\n';
    return nullptr;
  }
}

bool writeWorkbookOrTell(const host::MemoryWorkbook& wb, const std::string& path,
                         std::ostream& err) {
  try {
    io::refuseUnwritable(wb, path);
    io::writeWorkbook(wb, path);
    return true;
  } catch (const io::FileError& e) {
    err << writeProblem(e.what()) << '\n';
    return false;
  }
}

}  // namespace valdrex::cli
