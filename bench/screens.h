#pragma once
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

// The screens that open on the salon's book, as the scale benchmark opens them. A screen
// added to the program is added here with one line: its name and how it is made.
struct BenchScreen
{
    QString name;
    std::function<QWidget *()> open;
};

std::vector<BenchScreen> benchScreens();
