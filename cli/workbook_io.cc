#include "cli/workbook_io.h"

#include <ostream>

#include "valdrex/io/io_error.h"
#include "valdrex/io/xlsx_reader.h"
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

}  // namespace valdrex::cli
