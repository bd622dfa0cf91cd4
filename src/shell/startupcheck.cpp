#include "startupcheck.h"

#include "database.h"

#include <QThread>

StartupCheck::StartupCheck(QStringList paths, QObject *parent) : QObject(parent), m_paths(std::move(paths)) {}

StartupCheck::~StartupCheck()
{
    if (m_thread)
        m_thread->wait();
}

void StartupCheck::start()
{
    if (m_thread)
        return;
    m_findings.assign(std::size_t(m_paths.size()), std::nullopt);
    m_thread.reset(QThread::create([this] {
        for (qsizetype i = 0; i < m_paths.size(); ++i)
            m_findings[std::size_t(i)] = salon::checkFile(m_paths[i]);
    }));
    m_thread->setObjectName(QStringLiteral("book check"));
    // finished comes from the check thread; report() runs on this object's (the interface) thread.
    connect(m_thread.get(), &QThread::finished, this, &StartupCheck::report, Qt::QueuedConnection);
    m_thread->start(QThread::LowPriority);
}

bool StartupCheck::isFinished() const
{
    return m_reported;
}

void StartupCheck::report()
{
    m_reported = true;
    for (qsizetype i = 0; i < m_paths.size(); ++i)
        if (const auto &problem = m_findings[std::size_t(i)])
            salon::markDamaged(m_paths[i], *problem);
    emit finished();
}
