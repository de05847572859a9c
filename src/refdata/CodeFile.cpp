// SPDX-License-Identifier: GPL-3.0-or-later
#include "refdata/CodeFile.h"

#include "text/Encoding.h"
#include "text/GbkText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

namespace wb {

namespace {
constexpr const char* kCodeFileName = "dm.txt";
constexpr std::size_t kValueBytes = 20;

// Why a system call failed, in the user's words (UTF-8). The C library's own texts follow
// the locale's language and encoding, so the common causes have fixed Chinese texts and the
// rest show the error's symbolic name.
std::string failureReason(int error) {
    switch (error) {
    case EACCES:
    case EPERM:
        return "没有读取权限";
    case EIO:
        return "输入/输出错误";
    case ELOOP:
        return "符号链接层数过多";
    case EMFILE:
    case ENFILE:
        return "打开的文件过多";
    case ENOMEM:
        return "内存不足";
    default:
        break;
    }
    const char* name = ::strerrorname_np(error);
    return "系统错误 " + (name ? std::string(name) : std::to_string(error));
}

// Closes the descriptor on every way out.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

struct ReadFailure {
    bool missing = false; // nothing at that name, a dangling link, or no regular file
    std::string reasonUtf8;
};

// The bytes of the code file, or why they cannot be had. Only a regular file is opened, and
// the open does not wait: a FIFO put in its place between the check and the open is seen
// by fstat and refused instead of blocking the run. (O_NONBLOCK changes nothing for the
// reads of a regular file.)
std::optional<std::string> readRegularFile(const char* name, ReadFailure& failure) {
    struct stat info {};
    if (::stat(name, &info) != 0) {
        failure.missing = errno == ENOENT;
        failure.reasonUtf8 = failureReason(errno);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        failure.missing = true;
        return std::nullopt;
    }
    FileDescriptor file(::open(name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0) {
        failure.reasonUtf8 = failureReason(errno);
        return std::nullopt;
    }
    if (::fstat(file.get(), &info) != 0) {
        failure.reasonUtf8 = failureReason(errno);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        failure.missing = true;
        return std::nullopt;
    }
    std::string content;
    content.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got == 0)
            return content;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            failure.reasonUtf8 = failureReason(errno);
            return std::nullopt;
        }
        content.append(buffer, static_cast<std::size_t>(got));
    }
}

// A file saved in another encoding reads, but its keys never equal the workbook's GBK texts.
std::optional<CodeFileProblem> encodingProblem(ForeignEncoding encoding) {
    if (encoding == ForeignEncoding::None)
        return std::nullopt;
    const char* const looksLike = encoding == ForeignEncoding::Utf8 ? "UTF-8" : "UTF-16";
    return CodeFileProblem{utf8ToGbk(std::string("代码文件dm.txt不是GBK编码(看起来是") + looksLike +
                                     "),其中的文字对不上代码;请用文本编辑器另存为 GBK 编码"),
                           CodeFileProblem::Foreign};
}

} // namespace

void parseCodeFile(const Gbk& content, CodeTable& map) {
    for (const Gbk& rawLine : splitLines(content)) {
        const Gbk line = trim(rawLine);
        const std::size_t equals = line.find('=');
        if (equals == Gbk::npos)
            continue;
        Gbk key = trim(line.substr(0, equals));
        if (key.empty())
            continue;
        map.set(std::move(key), trim(line.substr(equals + 1, kValueBytes)));
    }
}

std::optional<CodeFileProblem> loadCodeFile(CodeTable& codeMap) {
    codeMap.clear();
    ReadFailure failure;
    const std::optional<std::string> content = readRegularFile(kCodeFileName, failure);
    if (!content) {
        static const Gbk missing = gbk("代码文件dm.txt不存在");
        if (failure.missing)
            return CodeFileProblem{missing, CodeFileProblem::Missing};
        return CodeFileProblem{utf8ToGbk("代码文件dm.txt无法读取：" + failure.reasonUtf8),
                               CodeFileProblem::Unreadable};
    }
    // The file is GBK as it stands: read raw, with no conversion, whatever it looks like.
    parseCodeFile(Gbk::fromBytes(*content), codeMap);
    return encodingProblem(detectForeignEncoding(*content));
}

} // namespace wb
