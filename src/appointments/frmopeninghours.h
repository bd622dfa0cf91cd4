#pragma once
#include "daybooklayout.h"

#include <QDialog>
#include <array>

class QComboBox;
class QDateEdit;
class QListWidget;
class QTimeEdit;

// The salon's opening hours per weekday (open from-to, closed, or not set: then nothing is
// asked about that day) and the technicians' days off. Hours are stored on Save; a day off is
// stored when it is added or removed.
class frmOpeningHours : public QDialog
{
    Q_OBJECT
public:
    frmOpeningHours(const std::vector<daybook::Column> &technicians, QDate day, QWidget *parent = nullptr);

signals:
    void changed();

private:
    void save();
    void showDaysOff();
    void changeDayOff(bool off);

    struct Weekday
    {
        QComboBox *state = nullptr;   // Not set, Open, Closed
        QTimeEdit *opens = nullptr;
        QTimeEdit *closes = nullptr;
    };
    std::array<Weekday, 7> m_weekdays;
    QComboBox *cboTechnician;
    QDateEdit *dtpDayOff;
    QListWidget *lstDaysOff;
};
