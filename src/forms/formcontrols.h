#pragma once
#include "binder.h"
#include "storeerror.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <functional>
#include <initializer_list>

// The controls every record screen builds its form from, named as tests and the binder find them.
namespace controls {

inline QLineEdit *lineEdit(QWidget *parent, const char *name)
{
    auto box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

// An editable list box: the list offers the usual entries, any other text may be typed.
inline QComboBox *comboBox(QWidget *parent, const char *name, const QStringList &items)
{
    auto box = new QComboBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setEditable(true);
    box->addItems(items);
    return box;
}

// A field's caption, right-aligned against its box.
inline QLabel *label(QWidget *parent, const QString &text, QWidget *buddy)
{
    auto caption = new QLabel(text, parent);
    caption->setBuddy(buddy);
    caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return caption;
}

inline QPushButton *button(QWidget *parent, const QString &text, const char *name, int minimumWidth = 80)
{
    auto b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setMinimumWidth(minimumWidth);
    return b;
}

// One row of a screen's field table: a box, its caption and the record field it shows.
struct Field
{
    enum class Place {
        Both,      // the caption in `column`, the box right after it
        Caption,   // the caption only: the screen lays the box out with its neighbours
        Nowhere,   // bound only
    };
    QWidget *box;
    QString caption;                  // none when empty
    const char *field = nullptr;      // not bound when null
    int row = 0;
    int column = 0;
    int columnSpan = 1;               // of the box
    Place place = Place::Both;
    Qt::Alignment alignment = {};     // of the box in its cell
};

// Captions the boxes of a field table, puts them on the grid and binds each to its field (when
// there is a binder), row by row: the table's order is the order edits are written in.
inline void layOut(QGridLayout *grid, Binder *binder, std::initializer_list<Field> table)
{
    for (const Field &f : table) {
        if (f.place != Field::Place::Nowhere && !f.caption.isEmpty())
            grid->addWidget(label(f.box->parentWidget(), f.caption, f.box), f.row, f.column);
        if (f.place == Field::Place::Both)
            grid->addWidget(f.box, f.row, f.column + 1, 1, f.columnSpan, f.alignment);
        if (binder && f.field)
            binder->bind(f.box, QLatin1String(f.field));
    }
}

// One button of a screen's button row. A row without a name stands for the stretch that
// pushes the buttons after it to the far side.
struct Button
{
    QString text;
    const char *name = nullptr;
    std::function<void()> clicked;
};

// How the buttons of a row look: their least width, and whether Enter in the screen's boxes
// presses the one with focus (screens where Enter belongs to the boxes say no).
struct ButtonLook
{
    int minimumWidth = 80;
    bool autoDefault = true;
};

// Builds a row of buttons into `row`, in order, each joined to what it does; returns them in
// the same order (the stretch has none).
inline QList<QPushButton *> buttonRow(QWidget *parent, QBoxLayout *row, std::initializer_list<Button> buttons,
                                      ButtonLook look = {})
{
    QList<QPushButton *> made;
    for (const Button &wanted : buttons) {
        if (!wanted.name) {
            row->addStretch(1);
            continue;
        }
        auto b = button(parent, wanted.text, wanted.name, look.minimumWidth);
        if (!look.autoDefault)
            b->setAutoDefault(false);
        if (wanted.clicked)
            QObject::connect(b, &QPushButton::clicked, parent, wanted.clicked);
        row->addWidget(b);
        made << b;
    }
    return made;
}

// Errors that mean there is no row to save into.
inline bool isNoRecord(const StoreError &error)
{
    return error.number() == StoreError::NoCurrentRecord || error.number() == StoreError::RecordDeleted
        || error.number() == StoreError::InvalidBookmark || error.number() == StoreError::NotInEditMode;
}

} // namespace controls
