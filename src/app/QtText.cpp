// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtText.h"

#include "text/Encoding.h"

#include <QFile>

namespace wb {

QString fromGbk(const Gbk& gbk) {
    const std::string utf8 = gbkToUtf8(gbk);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

Gbk toGbk(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return utf8ToGbk(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

std::string toNativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace wb
