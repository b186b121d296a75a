// A file whose mode says read-only is never replaced, although renaming over it would succeed.
#include <sys/stat.h>

#include "io/io_error.h"
#include "io/xlsx_reader.h"
#include "io/xlsx_writer.h"
#include "io_support.h"

namespace valdrex::io {
namespace {

using testing::TempDir;

TEST(ReadOnlyTarget, IsLeftAsItWasWithAClearMessage) {
  TempDir dir;
  const std::string target = dir.file("成绩.xlsx");
  host::MemoryWorkbook original;
  original.addSheet("原表");
  writeWorkbook(original, target);
  ::chmod(target.c_str(), 0444);
  const std::string before = testing::readBytes(target);

  host::MemoryWorkbook other;
  other.addSheet("新表");
  try {
    writeWorkbook(other, target);
    ADD_FAILURE() << "a read-only file was replaced";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("文件是只读的"), std::string::npos) << e.what();
  }
  EXPECT_EQ(testing::readBytes(target), before);
  EXPECT_EQ(dir.entries(), std::vector<std::string>{"成绩.xlsx"});

  ::chmod(target.c_str(), 0644);  // writable again: replaced as usual
  writeWorkbook(other, target);
  EXPECT_EQ(readWorkbook(target)->sheetAt(0).name(), "新表");
}

}  // namespace
}  // namespace valdrex::io
