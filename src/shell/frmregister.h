#pragma once
#include <QWidget>

// "Velorine - Register Information": where to send bug reports. Labels only.
class frmRegister : public QWidget
{
    Q_OBJECT
public:
    explicit frmRegister(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool m_centred = false;
};
