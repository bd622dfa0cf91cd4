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

// Doors that open nothing: the password is refused and payroll entry is not reached.
class Doors;
Doors &closedDoors();

// The program's resident memory, in megabytes (-1 when it cannot be read).
double residentMb();

// A piece of work run several times over: the first run (what a desk waits for) and the best.
struct Timing
{
    double firstMs = 0;
    double bestMs = 0;
};
Timing timeRuns(int runs, const std::function<void()> &work);

// The opening of one screen, three times over: the first time (what a desk waits for) and the
// best, with the most the program held in memory meanwhile.
struct ScreenTiming
{
    double firstMs = 0;
    double bestMs = 0;
    double residentMb = 0;
};
ScreenTiming timeScreen(const BenchScreen &screen);
