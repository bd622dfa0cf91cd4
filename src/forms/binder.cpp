#include "binder.h"

#include "dates.h"
#include "recordset.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <limits>

Binder::Binder(RecordSet *records, QObject *parent) : QObject(parent), m_records(records)
{
    connect(records, &RecordSet::currentChanged, this, &Binder::load);
    connect(records, &RecordSet::rowUpdated, this, [this](qint64 position) {
        if (position == m_records->absolutePosition() && !isDirty())
            load();
    });
    // Only the current row is ever deleted: the typing in the boxes goes with it, so the move
    // after the delete is not held up by edits that have no row left to go to.
    connect(records, &RecordSet::rowRemoved, this, [this] {
        for (Binding &binding : m_bindings)
            binding.dirty = false;
    });
    m_leavingRow = records->onLeavingRow([this] { writePending(); });
}

Binder::~Binder() = default;

Binder::Binding &Binder::add(QWidget *box, const QString &field)
{
    m_bindings.push_back({box, field, isTextDateField(m_records->table(), field), false});
    Binding &binding = m_bindings.back();
    QVariant value;
    try {
        if (m_records->hasCurrent() || m_records->editMode() != RecordSet::EditMode::None)
            value = m_records->value(field);
    } catch (const StoreError &error) {
        if (m_report)
            m_report(error);
    }
    show(binding, value, m_records->hasCurrent() || m_records->editMode() != RecordSet::EditMode::None);
    return binding;
}

void Binder::bind(QLineEdit *box, const QString &field)
{
    // Text fields have no size: a box takes a pasted page whole instead of cutting it at
    // the line edit's default of 32,767 characters.
    box->setMaxLength(std::numeric_limits<int>::max());
    add(box, field);
    connect(box, &QLineEdit::textChanged, this, [this, box] { markDirty(box); });
}

void Binder::bind(QComboBox *box, const QString &field)
{
    add(box, field);
    connect(box, &QComboBox::currentTextChanged, this, [this, box] { markDirty(box); });
}

void Binder::bind(QTextEdit *box, const QString &field)
{
    add(box, field);
    connect(box, &QTextEdit::textChanged, this, [this, box] { markDirty(box); });
}

void Binder::bind(QPlainTextEdit *box, const QString &field)
{
    add(box, field);
    connect(box, &QPlainTextEdit::textChanged, this, [this, box] { markDirty(box); });
}

void Binder::bind(QWidget *box, const QString &field)
{
    if (auto line = qobject_cast<QLineEdit *>(box))
        bind(line, field);
    else if (auto list = qobject_cast<QComboBox *>(box))
        bind(list, field);
    else if (auto text = qobject_cast<QTextEdit *>(box))
        bind(text, field);
    else if (auto plain = qobject_cast<QPlainTextEdit *>(box))
        bind(plain, field);
    else
        qFatal("Binder: no way to show field %s in a %s", qPrintable(field), box->metaObject()->className());
}

void Binder::markDirty(QWidget *box)
{
    if (m_loading)
        return;
    for (Binding &binding : m_bindings)
        if (binding.box == box)
            binding.dirty = true;
}

bool Binder::isDirty() const
{
    return std::any_of(m_bindings.begin(), m_bindings.end(), [](const Binding &b) { return b.dirty && b.box; });
}

QString Binder::textOf(const QWidget *box)
{
    if (auto line = qobject_cast<const QLineEdit *>(box))
        return line->text();
    if (auto combo = qobject_cast<const QComboBox *>(box))
        return combo->currentText();
    if (auto rich = qobject_cast<const QTextEdit *>(box))
        return rich->toPlainText();
    if (auto plain = qobject_cast<const QPlainTextEdit *>(box))
        return plain->toPlainText();
    return {};
}

void Binder::show(Binding &binding, const QVariant &value, bool editable)
{
    QWidget *box = binding.box;
    binding.dirty = false;
    if (!box)
        return;
    const QString text = binding.textDate && !value.isNull() ? textDateShown(value.toString()) : boxText(value);
    if (auto line = qobject_cast<QLineEdit *>(box)) {
        // Moving through the rows leaves many boxes as they were (an empty line, the same
        // city): laying their text out again is most of a move's cost on screen.
        if (line->text() != text || line->isUndoAvailable() || line->isRedoAvailable())
            line->setText(text);
        line->setCursorPosition(0);
    } else if (auto combo = qobject_cast<QComboBox *>(box)) {
        if (combo->isEditable()) {
            combo->setEditText(text);
        } else {
            // A stored text that is not in the list shows as no choice; it is kept unless changed.
            combo->setCurrentIndex(combo->findText(text, Qt::MatchFixedString));
        }
    } else if (auto rich = qobject_cast<QTextEdit *>(box)) {
        rich->setPlainText(text);
    } else if (auto plain = qobject_cast<QPlainTextEdit *>(box)) {
        plain->setPlainText(text);
    }
    // Without a current row there is nothing to type into: say so by the look of the box.
    box->setEnabled(editable);
}

void Binder::load()
{
    m_loading = true;
    const bool adding = m_records->editMode() == RecordSet::EditMode::AddNew;
    const bool editable = adding || m_records->hasCurrent();
    bool reported = false;
    for (Binding &binding : m_bindings) {
        QVariant value;
        if (editable) {
            try {
                value = m_records->value(binding.field);
            } catch (const StoreError &error) {
                // One report per row is enough, however many boxes meet the same fault.
                if (m_report && !reported)
                    m_report(error);
                reported = true;
            }
        }
        show(binding, value, editable);
    }
    m_loading = false;
    emit shown();
}

void Binder::writePending()
{
    if (!isDirty())
        return;
    if (m_beforeWrite)
        m_beforeWrite();
    const bool startedEdit = m_records->editMode() == RecordSet::EditMode::None;
    try {
        if (startedEdit)
            m_records->edit();
        for (const Binding &binding : m_bindings)
            if (binding.dirty && binding.box) {
                const QString text = textOf(binding.box);
                if (binding.textDate) {
                    m_records->setValue(binding.field, textDateToStore(text));
                } else {
                    const FieldKind kind = m_records->fieldKind(m_records->fieldIndex(binding.field));
                    m_records->setValue(binding.field, boxValue(text, kind, binding.field));
                }
            }
        m_records->update();
    } catch (const StoreError &error) {
        if (startedEdit)
            m_records->cancelUpdate();
        // A row deleted under the screen can never take the edit: it is reported once and
        // stays readable in the boxes, but no longer holds the screen on that row.
        if (error.number() == StoreError::RecordDeleted)
            for (Binding &binding : m_bindings)
                binding.dirty = false;
        throw;
    }
    for (Binding &binding : m_bindings)
        binding.dirty = false;
}

void Binder::addNew()
{
    m_records->addNew();   // stores pending edits first, through the leaving-row hook
    load();
}

void Binder::update()
{
    const bool adding = m_records->editMode() == RecordSet::EditMode::AddNew;
    if (!adding && !m_records->hasCurrent())
        throw StoreError(StoreError::NoCurrentRecord, QStringLiteral("No current record."));
    if (isDirty()) {
        writePending();
    } else {
        // Nothing typed: the row is still written as it stands, and becomes the last modified.
        if (m_beforeWrite)
            m_beforeWrite();
        if (!adding)
            m_records->edit();
        m_records->update();
    }
    m_records->moveToBookmark(m_records->lastModified());
}

void Binder::moveToKey(qint64 key)
{
    try {
        m_records->moveToBookmark(key);
    } catch (const StoreError &error) {
        if (error.number() != StoreError::InvalidBookmark)
            throw;
        writePending();
        m_records->requery();
        m_records->moveToBookmark(key);
    }
}

void Binder::cancel()
{
    m_records->cancelUpdate();
    load();
}
