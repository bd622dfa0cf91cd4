#include "testhome.h"

#include "database.h"
#include "recordset.h"

#include <QFile>
#include <QLocale>
#include <QTest>

TestHome::TestHome(Open open)
{
    m_previousHome = qgetenv("VELORINE_HOME");
    qputenv("VELORINE_HOME", m_dir.path().toLocal8Bit());
    if (open == Open::Yes) {
        if (auto problem = salon::open())
            m_openError = *problem;
    }
}

TestHome::~TestHome()
{
    salon::close();
    if (m_previousHome.isEmpty())
        qunsetenv("VELORINE_HOME");
    else
        qputenv("VELORINE_HOME", m_previousHome);
}

void useTestLocale()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void addRow(const QString &table, std::initializer_list<std::pair<QString, QVariant>> fields)
{
    RecordSet rows(salon::employeeDb(), table);
    rows.addNew();
    for (const auto &[name, value] : fields)
        rows.setValue(name, value);
    rows.update();
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}
