// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OfficeChooser.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace wb {

OfficeChooser::OfficeChooser(const QString& note, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("officeChooser"));
    setWindowTitle(QStringLiteral("选择办公文件夹"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(
        (note.isEmpty() ? QString() : note + QStringLiteral("\n\n")) +
            QStringLiteral("人事数据库 (wagebook.mdb) 和代码文件 dm.txt 放在办公文件夹中。"
                           "请打开已有的办公文件夹，或新建一个。"),
        this);
    text->setWordWrap(true);
    layout->addWidget(text);
    const struct {
        Choice choice;
        const char* name;
        QString caption;
    } choices[] = {
        {Choice::Open, "openOfficeChoice", QStringLiteral("打开已有的办公文件夹…")},
        {Choice::Create, "newDatabaseChoice", QStringLiteral("新建人事数据库")},
        {Choice::Migrate, "migrateChoice", QStringLiteral("从 Access 数据库迁移…")},
    };
    for (const auto& entry : choices) {
        auto* button = new QPushButton(entry.caption, this);
        button->setObjectName(QString::fromLatin1(entry.name));
        button->setAutoDefault(false);
        const Choice choice = entry.choice;
        connect(button, &QPushButton::clicked, this, [this, choice] {
            choice_ = choice;
            accept();
        });
        buttons_[static_cast<int>(choice)] = button;
        layout->addWidget(button);
    }
    auto* cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("cancelChoice"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(cancel);
}

QPushButton* OfficeChooser::button(Choice choice) const {
    return buttons_[static_cast<int>(choice)];
}

} // namespace wb
