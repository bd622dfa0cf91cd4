#pragma once
#include <QWidget>

class QLabel;

// The splash screen shown while the program starts: a picture, the title, the version and
// the owner's name and salon. It has no buttons and takes no input; start-up closes it.
class frmSplash : public QWidget
{
    Q_OBJECT
public:
    frmSplash(const QString &ownerName, const QString &company);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_picture;
};
