#include "databar.h"

#include "apptitle.h"
#include "dialogs.h"
#include "pointer.h"
#include "recordset.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

QString dataErrorText(const StoreError &error)
{
    return QStringLiteral("Data error event hit err:") + error.text();
}

DataBar::DataBar(RecordSet *records, QWidget *parent) : QWidget(parent), m_records(records)
{
    auto button = [this](const QString &name, QStyle::StandardPixmap icon, const QString &tip) {
        auto b = new QToolButton(this);
        b->setObjectName(name);
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(tip);
        b->setAccessibleName(tip);   // an arrow alone says nothing to a screen reader
        b->setAutoRaise(true);
        return b;
    };
    m_first = button(QStringLiteral("moveFirst"), QStyle::SP_MediaSkipBackward, tr("First record"));
    m_previous = button(QStringLiteral("movePrevious"), QStyle::SP_MediaSeekBackward, tr("Previous record"));
    m_next = button(QStringLiteral("moveNext"), QStyle::SP_MediaSeekForward, tr("Next record"));
    m_last = button(QStringLiteral("moveLast"), QStyle::SP_MediaSkipForward, tr("Last record"));
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("caption"));
    m_caption->setAlignment(Qt::AlignCenter);
    m_caption->setFrameShape(QFrame::StyledPanel);

    auto layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_first);
    layout->addWidget(m_previous);
    layout->addWidget(m_caption, 1);
    layout->addWidget(m_next);
    layout->addWidget(m_last);

    connect(m_first, &QToolButton::clicked, this, [this] { run(Action::MoveFirst, [this] { m_records->moveFirst(); }); });
    connect(m_previous, &QToolButton::clicked, this, [this] {
        run(Action::MovePrevious, [this] { m_records->movePrevious(); });
    });
    connect(m_next, &QToolButton::clicked, this, [this] { run(Action::MoveNext, [this] { m_records->moveNext(); }); });
    connect(m_last, &QToolButton::clicked, this, [this] { run(Action::MoveLast, [this] { m_records->moveLast(); }); });

    connect(records, &RecordSet::currentChanged, this, &DataBar::reposition);
    connect(records, &RecordSet::rowAppended, this, &DataBar::updateButtons);
    connect(records, &RecordSet::rowRemoved, this, &DataBar::updateButtons);
    reposition();
}

QString DataBar::caption() const
{
    return m_caption->text();
}

void DataBar::setCaption(const QString &text)
{
    m_caption->setText(text);
}

void DataBar::setNavigationLocked(bool locked)
{
    m_locked = locked;
    updateButtons();
}

bool DataBar::validate(Action action)
{
    if (action == Action::Close && m_validate != Validate::None)
        pointer::normal();
    if (m_validate == Validate::Full && !pointer::isBusy()) {
        pointer::busy();
        return true;
    }
    return false;
}

void DataBar::finishWork(bool busy)
{
    if (busy)
        pointer::normal();
}

void DataBar::reportError(const StoreError &error)
{
    if (error.number() == StoreError::ValueRequired)
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Warning);   // the screen's own words
    else if (m_dataErrorReport)
        showMessage(this, dataErrorText(error));
    else
        showMessage(this, error.text(), Dialogs::Buttons::Ok, Dialogs::Icon::Critical);
}

void DataBar::reposition()
{
    pointer::normal();
    // The position of a set that was closed under the bar reads as no row.
    qint64 position = -1;
    if (m_records->isOpen())
        position = m_records->absolutePosition();
    m_caption->setText(QStringLiteral("Record: ") + QString::number(position + 1));
    updateButtons();
    emit repositioned();
}

void DataBar::updateButtons()
{
    const qint64 count = m_records->isOpen() ? m_records->recordCount() : 0;
    const qint64 position = m_records->isOpen() ? m_records->absolutePosition() : -1;
    const bool pastEnd = m_records->isOpen() && m_records->eof();
    if (m_locked) {
        for (QToolButton *b : navigationButtons())
            b->setEnabled(false);
        return;
    }
    // A set left past its end (after deleting its last row) can still go back.
    // First and Last stay on while there are rows: they also leave a row being added.
    m_first->setEnabled(count > 0);
    m_previous->setEnabled(count > 0 && (position > 0 || pastEnd));
    m_next->setEnabled(count > 0 && !pastEnd && position < count - 1);
    m_last->setEnabled(count > 0);
}
