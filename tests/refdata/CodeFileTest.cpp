// SPDX-License-Identifier: GPL-3.0-or-later
#include "refdata/CodeFile.h"
#include "support/GbkBytes.h"
#include "support/TempFolder.h"
#include "text/Encoding.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <vector>

using namespace wb;
using test::bytes;

namespace {

CodeTable parsed(std::string_view content) {
    CodeTable map;
    parseCodeFile(bytes(content), map);
    return map;
}
CodeTable parsed(const Gbk& content) {
    return parsed(content.view());
}

// Runs a test body in a fresh temporary directory as the current directory.
class InTempDir : public ::testing::Test {
protected:
    void SetUp() override { folder_.enter(); }
    static void write(const std::string& bytes) {
        std::ofstream("dm.txt", std::ios::binary) << bytes;
    }
    test::TempFolder folder_;
};

} // namespace

TEST(ParseCodeFile, KeysAndValuesAreTrimmed) {
    const CodeTable map = parsed(gbk("  汉族 = 01 \r\n\t本科\t=\t21\t\n"));
    EXPECT_EQ(map.lookup(gbk("汉族")), "01");
    EXPECT_EQ(map.lookup(gbk("本科")), "21");
}

TEST(ParseCodeFile, TheFirstEqualsSignSplits) {
    const CodeTable map = parsed("a=b=c\n=skipped\nempty=\nnone\n");
    EXPECT_EQ(map.lookup("a"_ascii), "b=c");
    EXPECT_EQ(map.lookup("empty"_ascii), "");
    EXPECT_EQ(map.size(), 2u); // "a" and "empty"
}

TEST(ParseCodeFile, ValueIsCutTo20BytesBeforeTrimming) {
    // 19 ASCII bytes then a double-byte character: the cut keeps its first byte only.
    const std::string value = "1234567890123456789" + gbk("汉").bytes() + "tail";
    EXPECT_EQ(parsed("k=" + value).lookup("k"_ascii), value.substr(0, 20));
    // Blanks right after "=" count toward the 20 bytes.
    EXPECT_EQ(parsed("k=     123456789012345678").lookup("k"_ascii), "123456789012345");
}

TEST(ParseCodeFile, LaterLinesWinAndKeysAreCaseAndWidthExact) {
    const CodeTable map = parsed(gbk("A=1\nA=2\na=3\nＡ=4"));
    EXPECT_EQ(map.lookup("A"_ascii), "2");
    EXPECT_EQ(map.lookup("a"_ascii), "3");
    EXPECT_EQ(map.lookup(gbk("Ａ")), "4");
}

TEST(ParseCodeFile, LineBreakVariantsAndTheEndOfContent) {
    const CodeTable map = parsed(std::string("a=1\rb=2\n\rc=3\r\nd=4\0e=5\n", 24));
    EXPECT_EQ(map.lookup("a"_ascii), "1");
    EXPECT_EQ(map.lookup("b"_ascii), "2");
    EXPECT_EQ(map.lookup("c"_ascii), "3");
    EXPECT_EQ(map.lookup("d"_ascii), "4");
    EXPECT_EQ(map.lookup("e"_ascii), "");
}

TEST(ParseCodeFile, AByteOrderMarkStaysOnTheFirstKey) {
    const CodeTable map = parsed("\xEF\xBB\xBFkey=1\nkey=2");
    EXPECT_EQ(map.lookup(Gbk::fromBytes("\xEF\xBB\xBFkey")), "1");
    EXPECT_EQ(map.lookup("key"_ascii), "2");
}

TEST_F(InTempDir, MissingCodeFileIsReportedAndLeavesTheMapEmpty) {
    CodeTable map;
    map.set("stale"_ascii, "1"_ascii);
    const auto problem = loadCodeFile(map);
    ASSERT_TRUE(problem);
    EXPECT_EQ(gbkToUtf8(problem->text), "代码文件dm.txt不存在");
    EXPECT_EQ(problem->kind, CodeFileProblem::Missing);
    EXPECT_TRUE(map.empty());
}

TEST_F(InTempDir, PresentCodeFileReplacesTheWholeMap) {
    CodeTable map;
    map.set("stale"_ascii, "1"_ascii);
    write("only=2\nno equals sign\n");
    EXPECT_EQ(loadCodeFile(map), std::nullopt);
    EXPECT_EQ(map.lookup("stale"_ascii), "");
    EXPECT_EQ(map.lookup("only"_ascii), "2");
    EXPECT_EQ(map.size(), 1u);
}

namespace {

// Loads the code file on another thread and gives its report (UTF-8, "" when none) and
// its kind; should the load hang on a FIFO, a writer is opened and closed to let it go and
// the test fails instead of hanging.
std::string loadWithoutHanging(CodeTable& map, CodeFileProblem::Kind& kind) {
    auto load = std::async(std::launch::async, [&] { return loadCodeFile(map); });
    if (load.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
        ADD_FAILURE() << "loading the code file blocked";
        const int writer = ::open("dm.txt", O_WRONLY | O_NONBLOCK);
        if (writer >= 0)
            ::close(writer);
    }
    const std::optional<CodeFileProblem> problem = load.get();
    if (!problem)
        return {};
    kind = problem->kind;
    return gbkToUtf8(problem->text);
}

} // namespace

TEST_F(InTempDir, NoRegularFileCountsAsMissingAndAFileThatFailsToReadIsUnreadable) {
    namespace fs = std::filesystem;
    const std::string missing = "代码文件dm.txt不存在";
    struct Case {
        const char* name;
        std::function<void()> make;
        std::string report;
        CodeFileProblem::Kind kind;
        bool rootCanReadIt = false;
    };
    const Case cases[] = {
        {"directory", [] { fs::create_directory("dm.txt"); }, missing, CodeFileProblem::Missing},
        {"FIFO", [] { ASSERT_EQ(::mkfifo("dm.txt", 0600), 0); }, missing, CodeFileProblem::Missing},
        {"socket",
         [] {
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             ASSERT_GE(fd, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::strcpy(address.sun_path, "dm.txt");
             EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
             ::close(fd);
         },
         missing, CodeFileProblem::Missing},
        {"link to a device", [] { fs::create_symlink("/dev/null", "dm.txt"); }, missing,
         CodeFileProblem::Missing},
        {"dangling link", [] { fs::create_symlink("nowhere.txt", "dm.txt"); }, missing,
         CodeFileProblem::Missing},
        {"link loop", [] { fs::create_symlink("dm.txt", "dm.txt"); },
         "代码文件dm.txt无法读取：符号链接层数过多", CodeFileProblem::Unreadable},
        // A regular file whose every read fails, whoever reads it.
        {"failing read", [] { fs::create_symlink("/proc/self/mem", "dm.txt"); },
         "代码文件dm.txt无法读取：输入/输出错误", CodeFileProblem::Unreadable},
        {"no read permission",
         [] {
             write("a=1");
             fs::permissions("dm.txt", fs::perms::none);
         },
         "代码文件dm.txt无法读取：没有读取权限", CodeFileProblem::Unreadable, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.rootCanReadIt && ::geteuid() == 0)
            continue;
        fs::remove_all("dm.txt");
        c.make();
        CodeTable map;
        map.set("stale"_ascii, "1"_ascii);
        CodeFileProblem::Kind kind = CodeFileProblem::Foreign;
        EXPECT_EQ(loadWithoutHanging(map, kind), c.report);
        EXPECT_EQ(kind, c.kind);
        EXPECT_TRUE(map.empty());
    }
}

TEST_F(InTempDir, ALinkToARegularFileIsRead) {
    std::ofstream("codes.txt", std::ios::binary) << "k=v\n";
    std::filesystem::create_symlink("codes.txt", "dm.txt");
    CodeTable map;
    EXPECT_EQ(loadCodeFile(map), std::nullopt);
    EXPECT_EQ(map.lookup("k"_ascii), "v");
}

TEST_F(InTempDir, ACodeFileInAnotherEncodingIsReportedAndStillReadAsItIs) {
    const std::string utf8Codes = "汉族=01\r\n本科=21\r\n";
    const std::string advice = "),其中的文字对不上代码;请用文本编辑器另存为 GBK 编码";
    struct Case {
        const char* name;
        std::string bytes;
        std::string report; // UTF-8, "" for none
        std::string key;    // the bytes of a key the file gives, read as GBK
        std::size_t entries;
    };
    const Case cases[] = {
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + utf8Codes,
         "代码文件dm.txt不是GBK编码(看起来是UTF-8" + advice, "本科", 2},
        {"UTF-8 without one", utf8Codes, "代码文件dm.txt不是GBK编码(看起来是UTF-8" + advice, "本科",
         2},
        // The content ends at its first NUL byte.
        {"UTF-16", std::string("\xFF\xFEk\0=\0v\0", 8),
         "代码文件dm.txt不是GBK编码(看起来是UTF-16" + advice, "", 0},
        {"GBK", gbk(utf8Codes).bytes(), "", gbk("本科").bytes(), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write(c.bytes);
        CodeTable map;
        const auto problem = loadCodeFile(map);
        EXPECT_EQ(problem ? gbkToUtf8(problem->text) : "", c.report);
        EXPECT_FALSE(problem && problem->kind != CodeFileProblem::Foreign);
        EXPECT_EQ(map.size(), c.entries);
        if (!c.key.empty()) {
            EXPECT_EQ(map.lookup(Gbk::fromBytes(c.key)), "21");
        }
    }
}
