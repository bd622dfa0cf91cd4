// Memory: the peak resident memory of Velorine with every screen open on the large generated
// book (100,000 customers, 1,000,000 journal rows), against a bare Qt main window started the
// same way; the goal is at most 1.5 times the bare window's plus 20 MB.
// Usage: velorine-memory-bench [folder]   (the book is generated there once and reused)
// The screens behind the password and the questions they ask on opening are reached directly:
// every question is answered "1" and every message OK, except the daily ticket's technician
// prompt, answered empty (the first technician) as the desk does. The price list and payroll
// entry, modal dialogs in the program, are shown non-modally here so that all stay open.
#include "benchsupport.h"
#include "bookgenerator.h"
#include "database.h"
#include "dialogs.h"
#include "frmmain.h"
#include "storeerror.h"

#include "frmcalculator.h"
#include "frmdaily.h"
#include "frmemployee.h"
#include "frmmember.h"
#include "frmnotepad.h"
#include "frmpayrollrecords.h"
#include "frmproducts.h"
#include "frmreadme.h"
#include "frmregister.h"
#include "frmreport.h"
#include "frmsupplier.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QWindow>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int customerCount = 100000;
constexpr int journalCount = 1000000;

class AnswerEverything : public Dialogs
{
public:
    QString askText(QWidget *, const QString &prompt, const QString &, const QString &) override
    {
        if (prompt.startsWith(QLatin1String("Please enter your Employee ID number")))
            return {};
        return QStringLiteral("1");
    }
    Answer message(QWidget *, const QString &, const QString &, Buttons buttons, Icon) override
    {
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Answer::No : Answer::Ok;
    }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    bool choosePrinter(QWidget *, QPrinter &) override { return false; }
    QColor chooseColor(QWidget *, const QColor &) override { return {}; }
};

void settle(int millis)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < millis)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// The child: the main window and every screen open and painted, then the peak resident memory.
int openEveryScreen(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    AnswerEverything answers;
    Dialogs::setInstance(&answers);
    if (auto problem = salon::open()) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return 1;
    }
    {
        frmMain window;
        if (!window.load())
            return 1;
        window.show();
        settle(100);
        int opened = 0;
        auto open = [&window, &opened](auto *tag) {
            using Screen = std::remove_pointer_t<decltype(tag)>;
            Screen *screen = nullptr;
            try {
                screen = window.showSingle<Screen>();
                ++opened;
            } catch (const StoreError &error) {
                std::fprintf(stderr, "%s: %s\n", typeid(Screen).name(), qPrintable(error.text()));
            }
            settle(100);
            return screen;
        };
        std::vector<std::unique_ptr<QDialog>> dialogs;
        auto openModeless = [&dialogs, &opened](auto *tag, QWidget *parent) {
            using Dialog = std::remove_pointer_t<decltype(tag)>;
            try {
                auto dialog = std::make_unique<Dialog>(parent);
                dialog->setModal(false);
                dialog->show();
                dialogs.push_back(std::move(dialog));
                ++opened;
            } catch (const StoreError &error) {
                std::fprintf(stderr, "%s: %s\n", typeid(Dialog).name(), qPrintable(error.text()));
            }
            settle(100);
        };
        open(static_cast<frmMember *>(nullptr));
        open(static_cast<frmReport *>(nullptr));
        open(static_cast<frmSupplier *>(nullptr));
        open(static_cast<frmCalculator *>(nullptr));
        open(static_cast<frmNotePad *>(nullptr));
        open(static_cast<frmRegister *>(nullptr));
        open(static_cast<frmReadme *>(nullptr));
        // As the main window's tab opens it: the ticket is cleared and the technician asked.
        if (frmDaily *daily = open(static_cast<frmDaily *>(nullptr))) {
            daily->ClearTicket();
            openModeless(static_cast<frmProducts *>(nullptr), daily);
        }
        if (frmEmployee *employees = open(static_cast<frmEmployee *>(nullptr)))
            openModeless(static_cast<frmPayrollRecords *>(nullptr), employees);
        settle(300);
        std::printf("screens-open %d\n", opened);
        std::printf("peak-rss-kb %lld\n", bench::peakResidentKb());
        dialogs.clear();
        window.screens().closeAll();
    }
    salon::close();
    Dialogs::setInstance(nullptr);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--open-every-screen") == 0)
        return openEveryScreen(argc, argv);

    QCoreApplication application(argc, argv);
    QTemporaryDir scratch;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : scratch.path();
    QDir().mkpath(folder);
    qputenv("VELORINE_HOME", folder.toLocal8Bit());
    const bool fresh = !QFileInfo::exists(folder + QStringLiteral("/Employee.db"));
    if (auto problem = salon::open()) {
        std::fprintf(stderr, "%s\n", qPrintable(*problem));
        return 1;
    }
    if (fresh) {
        QElapsedTimer timer;
        timer.start();
        generateBook(salon::employeeDb(), customerCount, journalCount);
        std::printf("generated %d customers and %d journal rows in %.1f s\n", customerCount, journalCount,
                    double(timer.elapsed()) / 1000.0);
    }
    QSqlQuery(salon::employeeDb()).exec(QStringLiteral("UPDATE Misc SET count = 0"));
    salon::close();

    const bench::ChildDisplay display(folder);
    if (!display.ok())
        return 1;
    QProcessEnvironment env = display.environment();

    const QString here = QCoreApplication::applicationDirPath();
    const long long bare = bench::runForValue(here + QStringLiteral("/velorine-barewindow"), {}, env,
                                              QStringLiteral("peak-rss-kb"));
    QByteArray printed;
    const long long velorine = bench::runForValue(QCoreApplication::applicationFilePath(),
                                                  {QStringLiteral("--open-every-screen")}, env,
                                                  QStringLiteral("peak-rss-kb"), nullptr, &printed);
    if (bare < 0 || velorine < 0)
        return 1;
    const double limit = 1.5 * double(bare) + 20 * 1024;
    std::printf("peak resident memory (%s)\n", qPrintable(env.value(QStringLiteral("DISPLAY"))));
    std::printf("  bare Qt main window                 %8.1f MB\n", double(bare) / 1024);
    std::printf("  Velorine, %2lld screens open            %8.1f MB\n",
                bench::valueIn(printed, QStringLiteral("screens-open")), double(velorine) / 1024);
    std::printf("  goal: 1.5 x bare + 20 MB            %8.1f MB  (%s)\n", limit / 1024,
                double(velorine) <= limit ? "met" : "missed");
    return 0;
}
