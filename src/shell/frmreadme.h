#pragma once
#include <QWidget>

// "Velorine - Readme.txt": the data folder's read-me, read once when the form is created and
// shown read-only. A missing or unreadable file is said so in the box.
class frmReadme : public QWidget
{
    Q_OBJECT
public:
    explicit frmReadme(QWidget *parent = nullptr);
};
