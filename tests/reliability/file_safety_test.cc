// A teacher's files are never lost, through the built program: nothing is written over a
// workbook being read, another result, an earlier backup or anything but a regular file; links
// stay links; the temporary files of an interrupted write go with the signal, or with the next
// write when the process was killed.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <map>

#include "../cli/cli_process.h"
#include "cli/exit_codes.h"
#include "valdrex/io/atomic_file.h"

#if defined(VALDREX_BIN)

namespace valdrex::cli::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// Every name under the folder with its bytes, a link with where it points, anything else as
// "special"; links are not followed and the test's own files are left out.
std::map<std::string, std::string> snapshot(const ScratchFolder& dir) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::recursive_directory_iterator(dir.path())) {
    const std::string name = fs::relative(e.path(), dir.path()).string();
    if (name.rfind(".std", 0) == 0) continue;
    files[name] = e.is_symlink()        ? "-> " + fs::read_symlink(e.path()).string()
                  : e.is_regular_file() ? slurp(e.path())
                                        : "special";
  }
  return files;
}

void makeSocket(const fs::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
}

TEST(FileSafety, ClashingOrSpecialTargetsAreRefusedBeforeAnythingIsWritten) {
  ScratchFolder dir;
  writeSample(dir / "期末.xlsx");
  fs::copy_file(dir / "期末.xlsx", dir / "期末-统计结果.xlsx");
  fs::copy_file(dir / "期末.xlsx", dir / "a.xlsx");
  fs::copy_file(dir / "期末.xlsx", dir / "a.xls");
  ASSERT_EQ(::mkfifo((dir / "管道.xlsx").c_str(), 0644), 0);
  makeSocket(dir / "套接字.xlsx");
  fs::create_directory(dir / "文件夹.xlsx");
  fs::create_symlink("没有.xlsx", dir / "断链.xlsx");
  const auto before = snapshot(dir);

  struct Case {
    std::vector<std::string> args;
    const char* says;
  };
  std::vector<Case> cases = {
      {{"run", "期末.xlsx", "期末-统计结果.xlsx"},
       "期末.xlsx 的结果 期末-统计结果.xlsx 会覆盖输入的工作簿 期末-统计结果.xlsx"},
      {{"run", "a.xlsx", "a.xls"}, "a.xlsx 和 a.xls 会写入同一个文件 a-统计结果.xlsx"},
      {{"run", "--in-place", "期末.xlsx", "期末-备份.xlsx"},
       "期末.xlsx 的备份 期末-备份.xlsx 会覆盖输入的工作簿 期末-备份.xlsx"},
      {{"run", "期末.xlsx", "-o", "管道.xlsx"}, "不能写入 管道.xlsx：它是管道（FIFO）"},
      {{"run", "期末.xlsx", "-o", "套接字.xlsx"}, "不能写入 套接字.xlsx：它是套接字"},
      {{"run", "期末.xlsx", "-o", "文件夹.xlsx"}, "不能写入 文件夹.xlsx：同名的文件夹已经存在"},
      {{"run", "期末.xlsx", "-o", "断链.xlsx"},
       "不能写入 断链.xlsx：它是一个链接，指向的文件不存在"},
      {{"run", "期末.xlsx", "-o", ""}, "结果文件名不能为空"},
      {{"classes", "期末.xlsx", "-o", "期末.xlsx"}, "结果文件 期末.xlsx 就是输入的工作簿"},
      {{"classes", "期末.xlsx", "-o", "管道.xlsx"}, "不能写入 管道.xlsx：它是管道（FIFO）"},
      {{"classes", "期末.xlsx", "-o", ""}, "结果文件名不能为空"},
  };
  // Only where replacing it is not allowed anyway: as root a regression would destroy it.
  if (::geteuid() != 0)
    cases.push_back({{"run", "期末.xlsx", "-o", "/dev/null"}, "不能写入 /dev/null：它是字符设备"});
  for (const Case& c : cases) {
    Outcome o = valdrex(dir, c.args);
    EXPECT_EQ(o.status, kExitBadArguments) << ::testing::PrintToString(c.args) << o.err;
    EXPECT_THAT(o.err, HasSubstr(c.says));
    EXPECT_TRUE(snapshot(dir) == before) << ::testing::PrintToString(c.args);
  }
}

TEST(FileSafety, EveryRewriteKeepsTheOldFileUnderANewBackupName) {
  ScratchFolder dir;
  writeSample(dir / "g.xlsx");
  struct Step {
    std::vector<std::string> args;
    const char* backup;  // the copy of g.xlsx this step makes; nullptr: g.xlsx stays
    const char* says;
  };
  const Step steps[] = {
      {{"run", "g.xlsx", "--in-place"}, "g-备份.xlsx", "→ g.xlsx（原文件备份为 g-备份.xlsx）"},
      {{"run", "g.xlsx", "--in-place"}, "g-备份-2.xlsx", "（原文件备份为 g-备份-2.xlsx）"},
      {{"classes", "g.xlsx"}, "g-备份-3.xlsx", "并保存 g.xlsx（原文件备份为 g-备份-3.xlsx）"},
      {{"classes", "g.xlsx", "-o", "c.xlsx"}, nullptr, "并保存 c.xlsx\n"},
  };
  for (const Step& s : steps) {
    const auto before = snapshot(dir);
    Outcome o = valdrex(dir, s.args);
    ASSERT_EQ(o.status, kExitOk) << ::testing::PrintToString(s.args) << o.err;
    EXPECT_THAT(o.out, HasSubstr(s.says));
    auto after = snapshot(dir);
    for (const auto& [name, bytes] : before) {
      if (name != "g.xlsx" || !s.backup) {
        EXPECT_TRUE(after[name] == bytes) << name << " changed";
      }
    }
    const std::string written = s.backup ? s.backup : "c.xlsx";
    ASSERT_EQ(before.count(written), 0u) << written;
    if (s.backup) {
      EXPECT_TRUE(after[written] == before.at("g.xlsx")) << written;
    }
    EXPECT_EQ(after.size(), before.size() + 1) << "only " << written << " is new";
  }
}

// Whatever can refuse is checked before anything is written, so a refusal leaves no backup behind:
// a read-only target, a workbook a spreadsheet program holds open (its lock file beside it, in each
// program's form), a name whose extension is not what is written.
TEST(FileSafety, RefusalsComeBeforeAnyFileIsWritten) {
  ScratchFolder dir;
  writeSample(dir / "g.xlsx");
  for (const char* name : {"只读.xlsx", "开着.xlsx", "excel.xlsx", "长名字的成绩单.xlsx",
                           "期末考试成绩汇总表.xlsx", "lk.xlsx"})
    fs::copy_file(dir / "g.xlsx", dir / name);
  fs::copy_file(dir / "g.xlsx", dir / "ro.xlsx");
  fs::permissions(dir / "ro.xlsx", fs::perms::owner_read | fs::perms::group_read);
  for (const char* lock : {".~lock.开着.xlsx#", "~$excel.xlsx", "~$名字的成绩单.xlsx",
                           "~$考试成绩汇总表.xlsx", "~$lk.xlsx"})
    spit(dir / lock, "someone");
  const auto before = snapshot(dir);
  const struct {
    std::vector<std::string> args;
    int status;
    const char* says;
  } cases[] = {
      {{"run", "ro.xlsx", "--in-place"}, kExitUnwritable, "文件是只读的"},
      {{"classes", "ro.xlsx"}, kExitUnwritable, "文件是只读的"},
      {{"run", "g.xlsx", "-o", "ro.xlsx"}, kExitUnwritable, "文件是只读的"},
      {{"classes", "g.xlsx", "-o", "ro.xlsx"}, kExitUnwritable, "文件是只读的"},
      {{"run", "g.xlsx", "-o", "开着.xlsx"}, kExitUnwritable, "旁边有锁文件 .~lock.开着.xlsx#"},
      {{"run", "开着.xlsx", "--in-place"}, kExitUnwritable, ".~lock.开着.xlsx#"},
      {{"run", "g.xlsx", "-o", "excel.xlsx"}, kExitUnwritable, "~$excel.xlsx"},
      {{"run", "g.xlsx", "-o", "长名字的成绩单.xlsx"}, kExitUnwritable, "~$名字的成绩单.xlsx"},
      {{"classes", "期末考试成绩汇总表.xlsx"}, kExitUnwritable, "~$考试成绩汇总表.xlsx"},
      {{"classes", "g.xlsx", "-o", "lk.xlsx"}, kExitUnwritable, "可以删除这个锁文件"},
      {{"run", "g.xlsx", "-o", "out.xlsm"}, kExitBadArguments, "只能保存为 .xlsx 文件"},
      {{"run", "g.xlsx", "-o", "out.xls"}, kExitBadArguments, "例如 out.xlsx"},
      {{"run", "g.xlsx", "-o", "out"}, kExitBadArguments, "例如 out.xlsx"},
      {{"classes", "g.xlsx", "-o", "c.XLSM"}, kExitBadArguments, "只能保存为 .xlsx 文件"},
      {{"template", "t.xls"}, kExitBadArguments, "例如 t.xlsx"},
      {{"sample", "g.xlsx"}, kExitBadArguments, "已经存在，没有覆盖"},
  };
  for (const auto& c : cases) {
    Outcome o = valdrex(dir, c.args);
    EXPECT_EQ(o.status, c.status) << ::testing::PrintToString(c.args) << o.err;
    EXPECT_THAT(o.err, HasSubstr(c.says)) << ::testing::PrintToString(c.args);
    EXPECT_TRUE(snapshot(dir) == before) << ::testing::PrintToString(c.args);
  }
  // A lock left by a crash: the teacher may still have the file written.
  Outcome forced = valdrex(dir, {"run", "g.xlsx", "-o", "开着.xlsx", "--force"});
  EXPECT_EQ(forced.status, kExitProblem) << forced.err;  // 开着.xlsx was no result: kept
  EXPECT_THAT(forced.out, HasSubstr("（旧结果备份为 开着-备份.xlsx）"));
  EXPECT_EQ(valdrex(dir, {"run", "g.xlsx", "-o", "OUT.XLSX"}).status, kExitOk);
}

// An existing file at the target is replaced only when it is exactly what an earlier save left
// there; anything a teacher did to it since, by hand or with any program, keeps it as a backup.
TEST(FileSafety, AnEditedResultIsKeptAsABackup) {
  REQUIRE_PYTHON();
  ScratchFolder dir;
  writeSample(dir / "g.xlsx");
  const fs::path result = dir / "g-统计结果.xlsx";
  // One digit of one cell changed, every other part's bytes as they were.
  const std::string oneDigit =
      "import zipfile, shutil\np = sys.argv[1]\nparts = {}\n"
      "with zipfile.ZipFile(p) as z:\n  names = z.namelist()\n"
      "  parts = {n: z.read(n) for n in names}\n"
      "sheet = [n for n in names if n.startswith('xl/worksheets/') and b'<v>1</v>' in "
      "parts[n]][0]\n"
      "parts[sheet] = parts[sheet].replace(b'<v>1</v>', b'<v>2</v>', 1)\n"
      "with zipfile.ZipFile(p, 'w', zipfile.ZIP_DEFLATED) as z:\n"
      "  [z.writestr(n, parts[n]) for n in names]\n";
  const struct {
    const char* edit;  // a Python snippet with `wb` loaded; empty: the result is left alone
    const char* says;  // in the note; empty: no backup
  } steps[] = {
      {"", ""},
      {"", ""},
      {oneDigit.c_str(), "改动过"},
      {"", ""},
      {"wb['两率一分']['A1'] = '老师的备注'\nwb.save(sys.argv[1])", "改动过"},
      {"wb['成绩表'].cell(row=5, column=4).value = 1\nwb.save(sys.argv[1])",
       "成绩可能改在了旧结果里"},
      {"wb.create_sheet('我的表')\nwb.save(sys.argv[1])", "改动过"},
      {"from openpyxl.styles import PatternFill\n"
       "wb['完成率表']['B3'].fill = PatternFill('solid', fgColor='FFFF00')\nwb.save(sys.argv[1])",
       "改动过"},
  };
  int backups = 0;
  for (const auto& step : steps) {
    std::string edited;
    if (*step.edit) {
      python(result, step.edit);
      edited = slurp(result);
    }
    Outcome o = valdrex(dir, {"run", "g.xlsx", "--targets", "2,4"});
    if (!*step.says) {
      EXPECT_EQ(o.status, kExitOk) << step.edit << o.err;
      EXPECT_THAT(o.out, Not(HasSubstr("备份")));
      continue;
    }
    ++backups;
    const std::string backup =
        "g-统计结果-备份" + (backups > 1 ? "-" + std::to_string(backups) : "") + ".xlsx";
    EXPECT_EQ(o.status, kExitProblem) << step.edit;
    EXPECT_THAT(o.out, HasSubstr("（旧结果备份为 " + backup + "）"));
    EXPECT_THAT(o.err, HasSubstr(step.says));
    EXPECT_TRUE(slurp(dir / backup) == edited) << backup << " is the edited result";
  }
  // Another command writing over a workbook no save of ours left: kept too.
  python(dir / "g.xlsx", "wb.save(sys.argv[1].replace('g.xlsx', '别人的.xlsx'))");
  Outcome o = valdrex(dir, {"classes", "g.xlsx", "-o", "别人的.xlsx"});
  EXPECT_EQ(o.status, kExitOk) << o.err;
  EXPECT_THAT(o.out, HasSubstr("（已有的 别人的.xlsx 备份为 别人的-备份.xlsx）"));
  python(dir / "g.xlsx", "wb.save(sys.argv[1].replace('g.xlsx', '模板.xlsx'))");
  o = valdrex(dir, {"template", "模板.xlsx", "--force"});
  EXPECT_EQ(o.status, kExitOk) << o.err;
  EXPECT_THAT(o.out, HasSubstr("（原有的文件备份为 模板-备份.xlsx）"));
}

// A backup or result that cannot be written whole says why, in words a teacher can act on, and
// leaves nothing behind: here the file size limit stands in for a full disk.
TEST(FileSafety, AFailedWriteNamesItsCauseAndLeavesNothing) {
  ScratchFolder dir;
  writeSample(dir / "g.xlsx", {6, 40, 6, 7});
  const auto before = snapshot(dir);
  ASSERT_GT(before.at("g.xlsx").size(), 16000u);
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  auto* previous = ::signal(SIGXFSZ, SIG_IGN);  // ignored across exec: the write fails instead
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"run", "g.xlsx", "--in-place"}, {"run", "g.xlsx"}}) {
    struct rlimit small = saved;
    small.rlim_cur = 12000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    Outcome o = valdrex(dir, args);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(o.status, kExitUnwritable) << o.err;
    EXPECT_THAT(o.err, HasSubstr("文件超过了这个磁盘允许的大小。请另选一个磁盘后重试"));
    EXPECT_THAT(o.err, Not(HasSubstr("文件夹"))) << "the folder is not to blame";
    EXPECT_TRUE(snapshot(dir) == before) << ::testing::PrintToString(args);
  }
  ::signal(SIGXFSZ, previous);
}

// An earlier backup given as another input is no clash: this run's backup takes the next name.
TEST(FileSafety, AnEarlierBackupAmongTheInputsIsNoClash) {
  ScratchFolder dir;
  writeSample(dir / "g.xlsx");
  fs::copy_file(dir / "g.xlsx", dir / "g-备份.xlsx");
  Outcome o = valdrex(dir, {"run", "--in-place", "g.xlsx", "g-备份.xlsx"});
  EXPECT_EQ(o.status, kExitOk) << o.err;
  EXPECT_THAT(o.out, HasSubstr("（原文件备份为 g-备份-2.xlsx）"));
}

TEST(FileSafety, ThroughALinkTheFileItPointsToIsUpdatedAndTheLinkStays) {
  ScratchFolder dir;
  fs::create_directory(dir / "真");
  writeSample(dir / "真/g.xlsx");
  writeSample(dir / "真/结果.xlsx", {2, 4, 2, 5});
  fs::create_symlink("真/g.xlsx", dir / "g.xlsx");
  fs::create_symlink("真/结果.xlsx", dir / "结果.xlsx");
  struct Case {
    std::vector<std::string> args;
    const char* link;
    const char* changed;  // the file behind the link
    int status;
  };
  const Case cases[] = {
      {{"run", "g.xlsx", "--in-place"}, "g.xlsx", "真/g.xlsx", kExitOk},
      // What the link points to is another workbook, not g's result: it is kept as a backup.
      {{"run", "g.xlsx", "-o", "结果.xlsx"}, "结果.xlsx", "真/结果.xlsx", kExitProblem},
  };
  for (const Case& c : cases) {
    auto before = snapshot(dir);
    Outcome o = valdrex(dir, c.args);
    ASSERT_EQ(o.status, c.status) << o.err;
    auto after = snapshot(dir);
    EXPECT_EQ(after[c.link], before[c.link]) << "the link stays as it was";
    EXPECT_TRUE(after[c.changed] != before[c.changed]) << c.changed << " was not updated";
    for (const auto& [name, bytes] : after)
      EXPECT_EQ(fs::path(name).filename().string()[0] == '.', false) << "left behind: " << name;
  }
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dir / "g-备份.xlsx")));
}

TEST(FileSafety, TheNextWriteRemovesOnlyTheLeftoversOfAKilledWriteToTheSameFile) {
  ScratchFolder dir;
  writeSample(dir / "g.xlsx");
  struct Leftover {
    const char* name;
    char kind;    // 'f' file, 'd' folder, 'l' link
    bool locked;  // held by a live writer
    bool removed;
  };
  const Leftover leftovers[] = {
      {".g-统计结果.xlsx.tmp.Ab12Cd", 'f', false, true},
      {".g-统计结果.xlsx.tmp.Zz99zz", 'f', true, false},
      {".g-统计结果.xlsx.tmp.Ab12Cd7", 'f', false, false},
      {".g-统计结果.xlsx.tmp.Ab-2Cd", 'f', false, false},
      {".h-统计结果.xlsx.tmp.Ab12Cd", 'f', false, false},
      {".g-统计结果.xlsx.tmp.Qq11Qq", 'd', false, false},
      {".g-统计结果.xlsx.tmp.Ll22Ll", 'l', false, false},
  };
  std::vector<int> locks;
  for (const Leftover& l : leftovers) {
    const fs::path path = dir / l.name;
    if (l.kind == 'l') {
      fs::create_symlink("g.xlsx", path);
      continue;
    }
    if (l.kind == 'd')
      fs::create_directory(path);
    else
      spit(path, "PK half a workbook");
    // Written long ago, as when the teacher comes back after the kill.
    fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::hours(1));
    if (l.locked) {
      locks.push_back(::open(path.c_str(), O_RDONLY));
      ASSERT_EQ(::flock(locks.back(), LOCK_EX), 0);
    }
  }
  Outcome o = valdrex(dir, {"run", "g.xlsx"});
  ASSERT_EQ(o.status, kExitOk) << o.err;
  for (const Leftover& l : leftovers)
    EXPECT_EQ(fs::exists(fs::symlink_status(dir / l.name)), !l.removed) << l.name;
  for (int fd : locks) ::close(fd);
}

TEST(FileSafety, ASignalRemovesTheLiveTemporaryFilesAndStillEndsTheProcess) {
  for (int sig : {SIGINT, SIGTERM}) {
    ScratchFolder dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      ::signal(sig, SIG_DFL);  // as a program starts, whatever the test runner ignores
      io::removeTempFilesOnSignals();
      io::TempFile result((dir / "结果.xlsx").string(), "tmp");
      io::TempFile backup((dir / "g-备份.xlsx").string(), "tmp");
      (void)!::write(ready[1], "!", 1);
      for (;;) ::pause();
    }
    char said;
    ASSERT_EQ(::read(ready[0], &said, 1), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2);
    ::kill(child, sig);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    EXPECT_TRUE(fs::is_empty(dir.path())) << "signal " << sig;
    ::close(ready[0]);
    ::close(ready[1]);
  }
}

}  // namespace
}  // namespace valdrex::cli::testing

#endif
