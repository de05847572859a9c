// SPDX-License-Identifier: GPL-3.0-or-later
#include "migrate/AccessFile.h"

#include "migrate/JetValues.h"
#include "text/Error.h"

// mdbtools.h includes glib inside its extern "C" block, which C++ templates in glib's
// headers do not survive: glib comes first, and its include guard keeps the second out.
#include <glib.h>
#include <mdbtools.h>

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace wb::migrate {

namespace {

constexpr int kRowOffsetMask = 0x1fff;       // a row's offset in its page, without the flags
constexpr guint32 kSystemTable = 0x80000002; // catalog flags of system and hidden tables
constexpr guint32 kLongValueLength = 0x3fffffff;

std::string systemError() {
    return std::strerror(errno);
}

std::uint32_t little32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

template <typename T> T fromBytes(const unsigned char* p) {
    T value;
    std::memcpy(&value, p, sizeof value); // the files are little-endian, as this machine
    return value;
}

AccessValue integer(std::int64_t value) {
    return {AccessValue::Kind::Integer, value, 0, {}};
}
AccessValue real(double value) {
    return {AccessValue::Kind::Real, 0, value, {}};
}
AccessValue withBytes(AccessValue::Kind kind, std::string bytes) {
    return {kind, 0, 0, std::move(bytes)};
}

AccessType typeOf(const MdbColumn& column) {
    switch (column.col_type) {
    case MDB_BOOL:
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return AccessType::Integer;
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
        return AccessType::Real;
    case MDB_NUMERIC:
        return column.col_scale == 0 ? AccessType::Integer : AccessType::Real;
    case MDB_DATETIME:
        return AccessType::Date;
    case MDB_TEXT:
    case MDB_MEMO:
    case MDB_REPID:
        return AccessType::Text;
    default:
        return AccessType::Binary;
    }
}

// Keeps what libmdb writes to stderr (damage reports, one per page it cannot read) out of
// the terminal while the Access file is open. They go into a pipe whose writing end never
// blocks: once it is full, further reports are dropped, so a library that reports in a loop
// neither stops nor fills memory; the first report is all a message needs.
class StderrCapture {
public:
    StderrCapture() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        std::fflush(stderr);
        read_ = fds[0];
        saved_ = ::dup(STDERR_FILENO);
        ::dup2(fds[1], STDERR_FILENO);
        ::close(fds[1]);
    }
    ~StderrCapture() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            ::dup2(saved_, STDERR_FILENO);
            ::close(saved_);
        }
        if (read_ >= 0)
            ::close(read_);
    }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    std::string text() {
        char buffer[4096];
        for (ssize_t got; read_ >= 0 && (got = ::read(read_, buffer, sizeof buffer)) > 0;)
            if (kept_.size() < sizeof buffer)
                kept_.append(buffer, static_cast<std::size_t>(got));
        return kept_;
    }

private:
    int read_ = -1;
    int saved_ = -1;
    std::string kept_;
};

} // namespace

struct AccessFile::Handle {
    std::string name; // the path as given, for messages
    mutable StderrCapture capture;
    MdbHandle* mdb = nullptr;
    int codePage = 0;
    // The catalog: MSysObjects first, then the user's tables; libmdb's table definitions
    // point at their entries, so they live as long as the file.
    std::vector<std::unique_ptr<MdbCatalogEntry>> entries;
    ~Handle() {
        if (mdb)
            mdb_close(mdb);
    }
    // libmdb's first report, as a note to a message.
    std::string libraryNote() const {
        const std::string library = capture.text();
        return library.empty() ? "" : "（libmdb：" + library.substr(0, library.find('\n')) + "）";
    }
    [[noreturn]] void fail(const std::string& what) const { throw Error(what + libraryNote()); }
};

namespace {

// Whether a file's first bytes are an Access database's header.
bool isAccessHead(std::string_view head) {
    const std::string_view kind = head.size() >= 19 ? head.substr(4, 15) : std::string_view();
    return kind == "Standard Jet DB" || kind == "Standard ACE DB";
}

// Refuses, with its reason, a path that is no Access file before libmdb sees it.
void checkAccessFile(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        throw Error(errno == ENOENT ? "找不到文件 " + path + "。"
                                    : "无法读取 " + path + "：" + systemError() + "。");
    if (S_ISDIR(status.st_mode))
        throw Error("无法读取 " + path + "：它是一个文件夹。");
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw Error("无法读取 " + path + "：" + systemError() + "。");
    char head[32] = {};
    const ssize_t got = ::read(fd, head, sizeof head);
    ::close(fd);
    const std::string_view text(head, got > 0 ? static_cast<std::size_t>(got) : 0);
    if (text.starts_with(std::string_view("SQLite format 3\0", 16)))
        throw Error(path + " 已经是 SQLite 数据库，不需要迁移。");
    if (!isAccessHead(text))
        throw Error(path + " 不是 Access 数据库文件（.mdb 或 .accdb）。");
}

} // namespace

bool isAccessFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char head[19] = {};
    const ssize_t got = ::read(fd, head, sizeof head);
    ::close(fd);
    return got == sizeof head && isAccessHead(std::string_view(head, sizeof head));
}

AccessFile::AccessFile(const std::string& path, int codePage)
    : handle_(std::make_unique<Handle>()) {
    Handle& h = *handle_;
    h.name = path;
    if (codePage != 0 && !isKnownCodePage(codePage))
        throw Error("不认识代码页 " + std::to_string(codePage) + "。");
    checkAccessFile(path);
    h.mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
    if (!h.mdb)
        h.fail("无法打开 Access 数据库 " + path + "，文件可能已损坏。");

    // libmdb picks its text conversions from environment variables; these are the file's.
    const bool jet3 = h.mdb->f->jet_version == MDB_VER_JET3;
    if (jet3)
        h.codePage = codePage ? codePage : (h.mdb->f->code_page ? h.mdb->f->code_page : 936);
    const std::string source = jet3 ? "CP" + std::to_string(h.codePage) : "UCS-2LE";
    if (jet3 && !isKnownCodePage(h.codePage))
        throw Error(path + " 使用代码页 " + std::to_string(h.codePage) +
                    "，本机不能转换它；请用 --codepage 指定一个。");
    mdb_iconv_close(h.mdb);
    h.mdb->iconv_in = iconv_open("UTF-8", source.c_str());
    h.mdb->iconv_out = iconv_open(source.c_str(), "UTF-8");

    readCatalog();
}

void AccessFile::readCatalog() {
    // The table of tables, read as any table: libmdb's own catalog reader also decodes every
    // object's properties, and on a damaged file that can run on without end.
    Handle& h = *handle_;
    auto objects = std::make_unique<MdbCatalogEntry>();
    objects->mdb = h.mdb;
    objects->object_type = MDB_TABLE;
    objects->table_pg = 2;
    std::strcpy(objects->object_name, "MSysObjects");
    h.entries.push_back(std::move(objects));
    const auto catalog =
        openEntry(h.entries.back().get(), {"Id", "Name", "Type", "Flags", "Database"});
    if (!catalog)
        h.fail("Access 数据库 " + h.name + " 已损坏：读不出它的表目录。");
    const auto& columns = catalog->columns();
    const auto at = [&columns](const char* name) {
        return std::find_if(columns.begin(), columns.end(),
                            [name](const AccessColumn& c) { return c.name == name; }) -
               columns.begin();
    };
    const std::size_t id = at("Id"), name = at("Name"), type = at("Type"), flags = at("Flags");
    if (std::max({id, name, type, flags}) >= columns.size())
        h.fail("Access 数据库 " + h.name + " 已损坏：它的表目录缺少列。");
    std::vector<AccessValue> row;
    std::uint64_t rows = 0;
    const std::size_t database = at("Database"); // the file a linked table's rows are in
    for (; catalog->next(row); ++rows) {
        if ((row[type].integer & 0x7F) == MDB_LINKED_TABLE && database < columns.size()) {
            linked_.push_back(row[name].bytes + " (" + row[database].bytes + ")");
            continue;
        }
        if ((row[type].integer & 0x7F) != MDB_TABLE || (row[flags].integer & kSystemTable) ||
            row[name].bytes.empty() || row[name].bytes.size() > MDB_MAX_OBJ_NAME)
            continue;
        auto entry = std::make_unique<MdbCatalogEntry>();
        entry->mdb = h.mdb;
        entry->object_type = MDB_TABLE;
        entry->table_pg = static_cast<unsigned long>(row[id].integer & 0x00FFFFFF);
        entry->flags = static_cast<int>(row[flags].integer);
        std::memcpy(entry->object_name, row[name].bytes.data(), row[name].bytes.size());
        h.entries.push_back(std::move(entry));
        tables_.push_back(row[name].bytes);
    }
    if (rows != catalog->declaredRows())
        h.fail("Access 数据库 " + h.name + " 已损坏：它的表目录记有 " +
               std::to_string(catalog->declaredRows()) + " 个对象，只读出 " + std::to_string(rows) +
               " 个。");
}

AccessFile::~AccessFile() = default;

std::string AccessFile::libraryNote() const {
    return handle_->libraryNote();
}

struct AccessTable::State {
    const AccessFile::Handle* file = nullptr;
    MdbTableDef* table = nullptr;
    std::vector<char> longValue; // libmdb's buffer for one page of a memo or OLE value
    std::vector<bool> wanted;    // the columns whose values are read; the others stay NULL
    std::uint64_t rowsRead = 0;
    ~State() {
        if (table)
            mdb_free_tabledef(table);
    }
    MdbHandle* mdb() const { return file->mdb; }
    [[noreturn]] void damaged(const std::string& what) const {
        file->fail("Access 数据库 " + file->name + " 已损坏：表 " + table->name + " 第 " +
                   std::to_string(rowsRead + 1) + " 行" + what + "。");
    }
    std::string text(const unsigned char* bytes, std::size_t size) const {
        const std::string_view raw(reinterpret_cast<const char*>(bytes), size);
        return IS_JET3(mdb()) ? jetCodePageToUtf8(raw, file->codePage) : jetUnicodeToUtf8(raw);
    }
    std::string readLongValue(MdbColumn& column, const MdbField& field);
    AccessValue value(MdbColumn& column, const MdbField& field);
};

std::unique_ptr<AccessTable> AccessFile::openTable(const std::string& name) {
    for (const auto& entry : handle_->entries)
        if (entry->object_name == name)
            if (auto table = openEntry(entry.get(), {}))
                return table;
    handle_->fail("Access 数据库 " + handle_->name + " 已损坏：读不出表 " + name + " 的定义。");
}

std::unique_ptr<AccessTable> AccessFile::openEntry(void* catalogEntry,
                                                   const std::vector<std::string>& wanted) {
    auto state = std::make_unique<AccessTable::State>();
    state->file = handle_.get();
    state->table = mdb_read_table(static_cast<MdbCatalogEntry*>(catalogEntry));
    if (!state->table || !mdb_read_columns(state->table))
        return nullptr;
    for (guint i = 0; i < state->table->num_cols; ++i) {
        const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(state->table->columns, i));
        state->wanted.push_back(wanted.empty() || std::find(wanted.begin(), wanted.end(),
                                                            column->name) != wanted.end());
    }
    // A page of a long value at most; libmdb copies them one by one into the bound buffer.
    state->longValue.resize(handle_->mdb->bind_size + MDB_PGSIZE);
    mdb_rewind_table(state->table);
    return std::unique_ptr<AccessTable>(new AccessTable(std::move(state)));
}

AccessTable::AccessTable(std::unique_ptr<State> state) : state_(std::move(state)) {
    for (guint i = 0; i < state_->table->num_cols; ++i) {
        const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(state_->table->columns, i));
        columns_.push_back({column->name, typeOf(*column)});
    }
}

AccessTable::~AccessTable() = default;

std::uint64_t AccessTable::declaredRows() const {
    return state_->table->num_rows;
}

std::string AccessTable::State::readLongValue(MdbColumn& column, const MdbField& field) {
    if (field.siz < MDB_MEMO_OVERHEAD)
        return {};
    const unsigned char* header = mdb()->pg_buf + field.start;
    const std::size_t expected = little32(header) & kLongValueLength;
    // mdb_ole_read_full starts from the value's header in the column's bound buffer.
    std::memcpy(longValue.data(), header, MDB_MEMO_OVERHEAD);
    column.bind_ptr = longValue.data();
    column.cur_value_start = field.start;
    column.cur_value_len = field.siz;
    std::size_t size = 0;
    void* data = mdb_ole_read_full(mdb(), &column, &size);
    column.bind_ptr = nullptr;
    std::string bytes(static_cast<const char*>(data), data ? size : 0);
    g_free(data);
    if (bytes.size() != expected)
        damaged("的 " + std::string(column.name) + " 列缺了 " +
                std::to_string(expected - std::min(expected, bytes.size())) + " 字节");
    return bytes;
}

AccessValue AccessTable::State::value(MdbColumn& column, const MdbField& field) {
    if (column.col_type == MDB_BOOL) // kept in the null mask: "null" is false
        return integer(field.is_null ? 0 : 1);
    if (field.is_null)
        return {};
    const unsigned char* p = mdb()->pg_buf + field.start;
    const auto size = static_cast<std::size_t>(field.siz);
    const auto need = [&](std::size_t bytes) {
        if (size < bytes)
            damaged("的 " + std::string(column.name) + " 列太短");
    };
    switch (column.col_type) {
    case MDB_BYTE:
        return need(1), integer(p[0]);
    case MDB_INT:
        return need(2), integer(fromBytes<std::int16_t>(p));
    case MDB_LONGINT:
    case MDB_COMPLEX:
        return need(4), integer(fromBytes<std::int32_t>(p));
    case MDB_MONEY: // a count of 1/10,000 units
        return need(8), real(static_cast<double>(fromBytes<std::int64_t>(p)) / 10000.0);
    case MDB_FLOAT:
        return need(4), real(floatAsDecimal(fromBytes<float>(p)));
    case MDB_DOUBLE:
        return need(8), real(fromBytes<double>(p));
    case MDB_DATETIME:
        return need(8), AccessValue{AccessValue::Kind::Date, 0, fromBytes<double>(p), {}};
    case MDB_NUMERIC: {
        need(17);
        char* digits = mdb_numeric_to_string(mdb(), field.start, column.col_scale, column.col_prec);
        const std::string text = digits ? digits : "";
        g_free(digits);
        if (column.col_scale == 0)
            return integer(std::strtoll(text.c_str(), nullptr, 10));
        return real(std::strtod(text.c_str(), nullptr));
    }
    case MDB_TEXT:
        return withBytes(AccessValue::Kind::Text, text(p, size));
    case MDB_MEMO: {
        const std::string bytes = readLongValue(column, field);
        return withBytes(AccessValue::Kind::Text,
                         text(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
    }
    case MDB_OLE:
        return withBytes(AccessValue::Kind::Binary, readLongValue(column, field));
    case MDB_REPID: {
        need(16);
        char* guid = mdb_col_to_string(mdb(), mdb()->pg_buf, field.start, MDB_REPID, field.siz);
        AccessValue result = withBytes(AccessValue::Kind::Text, guid ? guid : "");
        g_free(guid);
        return result;
    }
    default:
        return withBytes(AccessValue::Kind::Binary,
                         std::string(reinterpret_cast<const char*>(p), size));
    }
}

bool AccessTable::next(std::vector<AccessValue>& row) {
    State& s = *state_;
    MdbHandle* mdb = s.mdb();
    if (!mdb_fetch_row(s.table))
        return false;
    // libmdb hands out a row only through bound text buffers, which hide NULL and binary
    // values; the row just fetched is taken apart again for its raw fields.
    int start = 0;
    std::size_t size = 0;
    if (s.table->cur_row == 0 ||
        mdb_find_row(mdb, static_cast<int>(s.table->cur_row - 1), &start, &size) != 0)
        s.damaged("的位置不对");
    start &= kRowOffsetMask;
    if (start + size > static_cast<std::size_t>(mdb->fmt->pg_size))
        s.damaged("超出了它的页");
    MdbField fields[MDB_MAX_COLS];
    const int count = mdb_crack_row(s.table, start, size, fields);
    if (count < static_cast<int>(s.table->num_cols))
        s.damaged("的列数不对");
    row.assign(s.table->num_cols, AccessValue{});
    for (int i = 0; i < count; ++i) {
        const MdbField& field = fields[i];
        if (field.colnum < 0 || static_cast<guint>(field.colnum) >= s.table->num_cols)
            s.damaged("的列号不对");
        if (!field.is_null && (field.start < 0 || field.start + field.siz > mdb->fmt->pg_size))
            s.damaged("的值超出了它的页");
        if (!s.wanted[static_cast<std::size_t>(field.colnum)])
            continue;
        auto* column = static_cast<MdbColumn*>(g_ptr_array_index(s.table->columns, field.colnum));
        row[static_cast<std::size_t>(field.colnum)] = s.value(*column, field);
    }
    ++s.rowsRead;
    return true;
}

} // namespace wb::migrate
