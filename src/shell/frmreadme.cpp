#include "frmreadme.h"

#include "database.h"

#include <QFile>
#include <QFontDatabase>
#include <QTextEdit>
#include <QVBoxLayout>

frmReadme::frmReadme(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmReadme"));
    setWindowTitle(QStringLiteral("Velorine - Readme.txt"));

    auto *box = new QTextEdit;
    box->setObjectName(QStringLiteral("RichTextBox1"));
    box->setReadOnly(true);
    box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));

    const QString path = salon::readmePath();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly | QIODevice::Text))
        box->setPlainText(QString::fromUtf8(file.readAll()));
    else if (!file.exists())
        box->setPlainText(QStringLiteral("The read-me file %1 is missing.").arg(path));
    else
        box->setPlainText(QStringLiteral("The read-me file %1 cannot be read: %2.").arg(path, file.errorString()));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(box);
    resize(680, 520);
}
