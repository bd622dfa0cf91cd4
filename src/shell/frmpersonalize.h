#pragma once
#include <QDialog>
#include <memory>

class QLineEdit;
class RecordSet;

// Owner details, "Velorine - Personalize your software": the owner's name, the salon and its
// address in the Misc row. OK stores the seven boxes and closes. Closing by the close box (or
// Esc) skips OK, but boxes the user changed are still stored, as on every bound screen.
class frmPersonalize : public QDialog
{
    Q_OBJECT
public:
    explicit frmPersonalize(QWidget *parent = nullptr);
    ~frmPersonalize() override;

    void accept() override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Writes the boxes into the Misc row; false (and a message) when the row cannot be stored.
    bool store();
    bool anyChanged() const;

    std::unique_ptr<RecordSet> m_datPrimary;
    QList<QLineEdit *> m_boxes;
    QStringList m_fields;
    bool m_centred = false;
};
