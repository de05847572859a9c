// SPDX-License-Identifier: GPL-3.0-or-later
// wagebook-import run as a user runs it: in a folder with wagebook.mdb and dm.txt, on real
// workbooks; exit status, stdout, stderr and the database are checked.

#include "support/CliOffice.h"
#include "support/GbkBytes.h"
#include "support/SqlRows.h"
#include "support/TempFolder.h"
#include "text/Encoding.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using wb::test::readLines;
using Strings = std::vector<std::string>;

namespace {

// On the embedded file; ImportCliOnEachEngine runs what must print and store the same on a
// server.
using ImportCli = wb::test::CliOffice;

using ImportCliOnEachEngine = wb::test::OnEachBackend<ImportCli>;
WB_ON_EACH_BACKEND(ImportCliOnEachEngine);

} // namespace

TEST_P(ImportCliOnEachEngine, ImportsEveryColumnOfAFullWorkbook) {
    copyFixture("full.xls");
    ASSERT_EQ(run("--dept 0101 full.xls"), 0);
    EXPECT_EQ(out, (Strings{"XLS相配置!准备导入", "甲", "乙", "丙", "提示: 数据导入成功!"}));
    EXPECT_EQ(err, (Strings{"学历:甲:博士", "职务:甲:处长", "考核:甲:良好", "工资类别:乙:外聘"}));
    EXPECT_EQ(
        rows("select bm, bh, xm, xb, mz, sfzh, csny, gzsj, grsf, jkzk, jxqyf, kjgl, kjtgnf,"
             " sylb, ltxlb, dzysxl from ryjbxx order by id"),
        (Strings{"0101|1|甲|1|01|110101197001010011|1970-01-01|1990-07-15|干部|10|12|-6|2|1|1|30",
                 "0101|2|乙|2||110101198002020022|1980-02-02|1899-12-30|工人|10|12|NULL|NULL|"
                 "NULL|NULL|NULL",
                 "0101|3|丙|NULL||NULL|1899-12-30|1899-12-30|NULL|10|12|NULL|NULL|NULL|"
                 "NULL|NULL"}));
    EXPECT_EQ(rows("select p.xm, x.xxxs, x.xlrq, x.xldm, x.dzysxl from ryxl x join ryjbxx p on "
                   "p.id = x.mid order by x.id"),
              (Strings{"甲|全日制|1988-07-01|31|NULL", "甲|全日制|1990-07-01|21|2",
                       "乙|在职|2000-07-01|21|NULL"}));
    EXPECT_EQ(rows("select p.xm, r.rzrq, r.gzzwdm, r.gwzwdm from ryrz r join ryjbxx p on "
                   "p.id = r.mid order by r.id"),
              (Strings{"甲|1990-07-01|1101|", "甲|2006-06-01|3601|", "甲|2008-03-01|3601|0301",
                       "甲|2009-01-01|1001|0108", "乙|2007-01-01|2101|0202"}));
    EXPECT_EQ(rows("select p.xm, k.khnd, k.khjg from rykh k join ryjbxx p on p.id = k.mid "
                   "order by k.id"),
              (Strings{"甲|2006|1", "甲|2007|2", "乙|2007|2", "乙|2007|2"}));
}

TEST_P(ImportCliOnEachEngine, TheSameWorkbookAsXlsxStoresTheSameRows) {
    // What a run prints and stores: the run log, the error list and every record.
    const auto stored = [&](const std::string& workbook) {
        copyFixture(workbook);
        EXPECT_EQ(run("--overwrite --dept 0101 " + workbook), 0) << workbook;
        Strings result = out;
        result.insert(result.end(), err.begin(), err.end());
        for (const char* sql :
             {"select bm, bh, xm, xb, mz, sfzh, csny, gzsj, grsf, jkzk, jxqyf, kjgl, kjtgnf,"
              " sylb, ltxlb, dzysxl from ryjbxx order by id",
              "select p.xm, x.xxxs, x.xlrq, x.xldm, x.dzysxl from ryxl x join ryjbxx p on "
              "p.id = x.mid order by x.id",
              "select p.xm, r.rzrq, r.gzzwdm, r.gwzwdm from ryrz r join ryjbxx p on "
              "p.id = r.mid order by r.id",
              "select p.xm, k.khnd, k.khjg from rykh k join ryjbxx p on p.id = k.mid "
              "order by k.id"}) {
            const Strings records = rows(sql);
            result.insert(result.end(), records.begin(), records.end());
        }
        return result;
    };
    const Strings fromXls = stored("full.xls");
    ASSERT_GT(fromXls.size(), 20u);
    EXPECT_EQ(stored("full.xlsx"), fromXls);    // as openpyxl writes it
    EXPECT_EQ(stored("full_lo.xlsx"), fromXls); // as LibreOffice saves the .xls
}

TEST_F(ImportCli, AProtectedWorkbookStoresWhatItsPlainCopyStores) {
    const auto stored = [&](const std::string& workbook, const std::string& options,
                            const std::optional<std::string>& input) {
        copyFixture(workbook);
        EXPECT_EQ(run("--overwrite --dept 0101 " + options + workbook, {}, input), 0) << workbook;
        Strings result = out;
        result.insert(result.end(), err.begin(), err.end());
        const Strings records = rows("select bm, bh, xm, xb, mz, sfzh, csny, gzsj, grsf, jkzk,"
                                     " jxqyf, kjgl, kjtgnf, sylb, ltxlb, dzysxl from ryjbxx"
                                     " order by id");
        result.insert(result.end(), records.begin(), records.end());
        return result;
    };
    const Strings plain = stored("full.xls", "", std::nullopt);
    ASSERT_GT(plain.size(), 8u);
    // Only protected against changes: the fixed password, never asked for.
    for (const char* workbook : {"full_xor.xls", "full_rc4.xls", "full_cryptoapi.xls",
                                 "full_fixed.xlsx", "full_standard.xlsx"})
        EXPECT_EQ(stored(workbook, "", std::nullopt), plain) << workbook;
    // A real password, from the first line of standard input.
    for (const char* workbook : {"full_password.xls", "full_password.xlsx"})
        EXPECT_EQ(stored(workbook, "--password-stdin ", "工资 2024\nsecond line\n"), plain)
            << workbook;
}

TEST_F(ImportCli, AWrongOrMissingPasswordNamesTheFileAndChangesNothing) {
    copyFixture("full.xls");
    ASSERT_EQ(run("--dept 0101 full.xls"), 0);
    const Strings before = rows("select id, xm from ryjbxx order by id");
    copyFixture("full_password.xlsx");
    const struct {
        const char* options;
        std::optional<std::string> input;
        std::string reason;
    } cases[] = {
        {"--password-stdin ", "工资 2025\n", "密码不正确"},
        {"--password-stdin ", "", "工作簿有打开密码,未输入密码"},
        {"", std::nullopt, "--password-stdin"}, // no terminal: says how to give it
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(std::string("--overwrite --dept 0101 ") + c.options + "full_password.xlsx",
                      {}, c.input),
                  1)
            << c.reason;
        EXPECT_EQ(out, Strings{}) << c.reason;
        ASSERT_EQ(err.size(), 1u) << c.reason;
        EXPECT_EQ(err[0].rfind("错误: 工作簿 \"full_password.xlsx\"", 0), 0u) << err[0];
        EXPECT_NE(err[0].find(c.reason), std::string::npos) << err[0];
        EXPECT_EQ(rows("select id, xm from ryjbxx order by id"), before) << c.reason;
    }
}

TEST_P(ImportCliOnEachEngine, OverwriteReplacesTheDepartmentAndAppendAddsAgain) {
    copyFixture("gap.xls");
    ASSERT_EQ(run("--dept 01 gap.xls"), 0);
    ASSERT_EQ(run("--dept 01 gap.xls"), 0);
    EXPECT_EQ(rows("select count(*) from ryjbxx"), Strings{"4"});
    ASSERT_EQ(run("--overwrite --dept 01 gap.xls"), 0);
    EXPECT_EQ(
        out, (Strings{"XLS相配置!准备导入", "正在删除旧数据!", "甲", "乙", "提示: 数据导入成功!"}));
    EXPECT_EQ(rows("select xm from ryjbxx order by id"), (Strings{"甲", "乙"}));
}

TEST_F(ImportCli, EndsEarlyWithExitStatusOne) {
    copyFixture("no_work_start.xls");
    EXPECT_EQ(run("--dept 01 no_work_start.xls"), 1);
    EXPECT_EQ(out, (Strings{"XLS数据格式不配置!不能导入", "缺少标题：参加工作时间"}));

    // Error and failure boxes go to stderr, nothing to stdout.
    EXPECT_EQ(run("--dept 01 missing.xls"), 1);
    EXPECT_EQ(out, Strings{});
    EXPECT_EQ(err, Strings{"失败: 未选择导入文件!"});

    EXPECT_EQ(run("--dept 99 missing.xls"), 1);
    EXPECT_EQ(out, Strings{});
    EXPECT_EQ(err, (Strings{"错误:  请选择部门!", "没有部门 99：dm_jg 中没有这个部门代码"
                                                  "（wagebook-dept list 列出已有的部门）"}));

    std::ofstream(dir_ / "text.xls") << "name,birth\n";
    EXPECT_EQ(run("--dept 01 text.xls"), 1);
    EXPECT_EQ(out, Strings{});
    ASSERT_EQ(err.size(), 1u);
    EXPECT_EQ(err[0].rfind("错误: ", 0), 0u) << err[0];
    EXPECT_NE(err[0].find("text.xls"), std::string::npos) << err[0];
    EXPECT_EQ(rows("select count(*) from ryjbxx"), Strings{"0"});

    fs::remove(dir_ / "dm.txt");
    copyFixture("gap.xls");
    EXPECT_EQ(run("--dept 01 gap.xls"), 0);
    EXPECT_EQ(err, (Strings{"代码文件dm.txt不存在", "错误: 代码文件dm.txt不存在"}));
    EXPECT_EQ(out.front(), "XLS相配置!准备导入");

    // A folder at the code file's name is no file; a file that cannot be read ends the
    // command before its run.
    fs::create_directory(dir_ / "dm.txt");
    EXPECT_EQ(run("--dept 01 gap.xls"), 0);
    EXPECT_EQ(err, (Strings{"代码文件dm.txt不存在", "错误: 代码文件dm.txt不存在"}));
    EXPECT_EQ(out.back(), "提示: 数据导入成功!");
    fs::remove(dir_ / "dm.txt");
    fs::create_symlink("/proc/self/mem", dir_ / "dm.txt");
    const Strings before = rows("select xm from ryjbxx order by id");
    EXPECT_EQ(run("--overwrite --dept 01 gap.xls"), 1);
    EXPECT_EQ(out, Strings{});
    EXPECT_EQ(err, Strings{"错误: 代码文件dm.txt无法读取：输入/输出错误"});
    EXPECT_EQ(rows("select xm from ryjbxx order by id"), before);
    fs::remove(dir_ / "dm.txt");

    fs::remove(dir_ / "wagebook.mdb");
    EXPECT_EQ(run("--dept 01 gap.xls"), 1);
    EXPECT_EQ(out, Strings{});
    EXPECT_EQ(err, Strings{"文件丢失错误: 文件(wagebook.dat)丢失,或运行目录不正确!"});
}

TEST_P(ImportCliOnEachEngine, ControlCharactersArePrintedVisibly) {
    copyFixture("control_chars.xls");
    ASSERT_EQ(run("--dept 01 control_chars.xls"), 0);
    EXPECT_EQ(out, (Strings{"XLS相配置!准备导入", "甲\\x1b[31m乙\\x7f", "丙\\u0085丁\\x09戊\\x0d己",
                            "提示: 数据导入成功!"}));
    EXPECT_EQ(err, Strings{"学历:甲\\x1b[31m乙\\x7f:博士"});
    // Stored as read: only the terminal sees the escapes.
    EXPECT_EQ(rows("select xm from ryjbxx order by id"),
              (Strings{"甲\x1b[31m乙\x7f", "丙\u0085丁\t戊\r己"}));

    // A file name in a message box line, and in a usage error.
    std::ofstream(dir_ / "a\x1b[2Jb.xls") << "name,birth\n";
    EXPECT_EQ(run("--dept 01 'a\x1b[2Jb.xls'"), 1);
    ASSERT_EQ(err.size(), 1u);
    EXPECT_NE(err[0].find("a\\x1b[2Jb.xls"), std::string::npos) << err[0];
    EXPECT_EQ(run("'--\x1b[2J'"), 2);
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err[0], "wagebook-import: 未知选项 --\\x1b[2J");
}

TEST_F(ImportCli, AReadOnlyDatabaseIsRefusedBeforeAnyRow) {
    copyFixture("full.xls");
    // Root may write any file: the run then goes as an ordinary user, to whom a file of
    // root's is read-only. The folder stays writable, so the engine can read the file.
    std::string as;
    if (::geteuid() == 0)
        as = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    else
        fs::permissions(dir_ / "wagebook.mdb",
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir_, fs::perms::all);
    EXPECT_EQ(run("--overwrite --dept 01 full.xls", as), 1);
    EXPECT_EQ(out, Strings{});
    ASSERT_EQ(err.size(), 1u);
    EXPECT_EQ(err[0], "错误: 数据库文件 " + fs::canonical(dir_ / "wagebook.mdb").string() +
                          " 是只读的，不能写入");
    EXPECT_EQ(rows("select count(*) from ryjbxx"), Strings{"0"});
}

TEST_F(ImportCli, AWriteOverTheFileSizeLimitIsReportedAndTheOverwriteUndone) {
    folder_.copyFixture("kill/staff.xls");
    ASSERT_EQ(run("--dept 0101 staff.xls"), 0);
    const Strings before = rows("select count(*), max(id) from ryjbxx");
    // 5,000 new persons do not fit in what the limit leaves (blocks of 1,024 bytes).
    const auto size = fs::file_size(dir_ / "wagebook.mdb");
    EXPECT_EQ(run("--overwrite --dept 01 staff.xls",
                  "ulimit -f " + std::to_string(size / 1024 + 64) + " && "),
              1);
    ASSERT_FALSE(err.empty());
    // The engine reports the refused write as an I/O error; the signal that would have
    // killed the program mid-commit is ignored.
    EXPECT_NE(err.back().find("输入输出错误"), std::string::npos) << err.back();
    EXPECT_NE(err.back().find("部门 01 原有的数据都已保留"), std::string::npos) << err.back();
    EXPECT_NE(out.back(), "提示: 数据导入成功!");
    EXPECT_EQ(rows("select count(*), max(id) from ryjbxx"), before);
}

TEST_F(ImportCli, UsageErrorsExitWithTwo) {
    EXPECT_EQ(run(""), 2);
    EXPECT_EQ(run("book.xls"), 2);
    EXPECT_EQ(run("--dept"), 2);
    EXPECT_EQ(run("--dept 01 a.xls b.xls"), 2);
    EXPECT_EQ(run("--frobnicate --dept 01 a.xls"), 2);
    EXPECT_EQ(run("--help"), 0);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0].rfind("用法: wagebook-import", 0), 0u);
}

TEST_F(ImportCli, UsageErrorsNameWhatIsWrongAndShowTheUsage) {
    const struct {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"--frobnicate --dept 01 a.xls", "未知选项 --frobnicate"},
        {"--dept 01 --frobnicate=3 a.xls", "未知选项 --frobnicate"},
        {"--dept 01 -x a.xls", "未知选项 -x"},
        {"-dept 01 a.xls", "未知选项 -dept"},
        {"--dept", "--dept 后面缺少值"},
        {"--overwrite=yes --dept 01 a.xls", "--overwrite 不带值"},
        {"a.xls", "缺少 --dept CODE"},
        {"--dept 01", "需要且只需要一个工作簿文件"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.arguments), 2) << c.arguments;
        EXPECT_EQ(out, Strings{}) << c.arguments;
        ASSERT_GE(err.size(), 3u) << c.arguments;
        EXPECT_EQ(err[0], std::string("wagebook-import: ") + c.message) << c.arguments;
        EXPECT_EQ(err[1], "");
        EXPECT_EQ(err[2].rfind("用法: wagebook-import", 0), 0u) << err[2];
    }
}

TEST_F(ImportCli, VersionAndHelpAreShownOnStdout) {
    EXPECT_EQ(run("--version"), 0);
    EXPECT_EQ(out, Strings{"wagebook-import " WB_VERSION});
    EXPECT_EQ(err, Strings{});

    EXPECT_EQ(run("-h"), 0);
    EXPECT_EQ(err, Strings{});
    std::string help;
    for (const std::string& line : out)
        help += line + "\n";
    for (const char* option : {"--dept CODE", "--overwrite", "-h, --help", "--version", "\n  --  "})
        EXPECT_NE(help.find(option), std::string::npos) << option << " in\n" << help;
    EXPECT_NE(help.find("退出码: 0 导入完成"), std::string::npos) << help;
}

TEST_F(ImportCli, ADoubleDashEndsTheOptions) {
    copyFixture("gap.xls");
    ASSERT_EQ(run("--dept 01 gap.xls"), 0);
    fs::copy_file(dir_ / "gap.xls", dir_ / "--overwrite");
    fs::copy_file(dir_ / "gap.xls", dir_ / "-x.xls");
    // Workbooks whose names look like options: appended, nothing overwritten.
    EXPECT_EQ(run("--dept 01 -- --overwrite"), 0);
    EXPECT_EQ(run("--dept=01 -- -x.xls"), 0);
    EXPECT_EQ(rows("select count(*) from ryjbxx"), Strings{"6"});
    EXPECT_EQ(run("--dept 01 -- --dept 02 -x.xls"), 2);
    EXPECT_EQ(err[0], "wagebook-import: 需要且只需要一个工作簿文件");
}

TEST_F(ImportCli, ArgumentsArriveAsTheBytesGiven) {
    // A department code in UTF-8 on the command line matches its GBK code in dm_jg.
    rows("insert into dm_jg (upid, px, jgdm, jgmc, jgjb) values (0, 9, '部甲', '甲', '1')");
    copyFixture("gap.xls");
    EXPECT_EQ(run("--dept 部甲 gap.xls"), 0) << (err.empty() ? "" : err[0]);
    EXPECT_EQ(rows("select distinct bm from ryjbxx"), Strings{"部甲"});
    // A file name that is no UTF-8 (GBK bytes) reaches the file system unchanged.
    fs::copy_file(dir_ / "gap.xls", dir_ / "\xb9\xa4\xd7\xca.xls");
    EXPECT_EQ(run("--dept 01 '\xb9\xa4\xd7\xca.xls'"), 0) << (out.empty() ? "" : out[0]);
    EXPECT_EQ(rows("select count(*) from ryjbxx"), Strings{"4"});
}

TEST_F(ImportCli, ACodeFileSavedAsUtf8IsNamedFirstInTheErrorList) {
    std::ofstream(dir_ / "dm.txt", std::ios::binary) << "\xEF\xBB\xBF汉族=01\r\n干部=1\r\n";
    copyFixture("gap.xls");
    EXPECT_EQ(run("--dept 01 gap.xls"), 0);
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err[0], "代码文件dm.txt不是GBK编码(看起来是UTF-8),其中的文字对不上代码;"
                      "请用文本编辑器另存为 GBK 编码");
    // A warning, not a failure: no box, and the run goes on.
    EXPECT_EQ(out.front(), "XLS相配置!准备导入");
    EXPECT_EQ(out.back(), "提示: 数据导入成功!");
}
