#pragma once
#include "storeerror.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>

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

inline QPushButton *button(QWidget *parent, const QString &text, const char *name)
{
    auto b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setMinimumWidth(80);
    return b;
}

// Errors that mean there is no row to save into.
inline bool isNoRecord(const StoreError &error)
{
    return error.number() == StoreError::NoCurrentRecord || error.number() == StoreError::RecordDeleted
        || error.number() == StoreError::InvalidBookmark || error.number() == StoreError::NotInEditMode;
}

} // namespace controls
