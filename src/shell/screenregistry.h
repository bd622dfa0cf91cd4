#pragma once
#include <QPointer>
#include <QString>
#include <QWidget>
#include <typeindex>
#include <vector>

// The screens the main window has opened, one instance per screen class, in opening order.
// showSingle<T>() creates a screen the first time (its load steps run then), and afterwards
// only shows, raises and activates it. A screen closed by the user is deleted, so the next
// showSingle<T>() loads it afresh.
class ScreenRegistry
{
public:
    ScreenRegistry() = default;
    ~ScreenRegistry();
    ScreenRegistry(const ScreenRegistry &) = delete;
    ScreenRegistry &operator=(const ScreenRegistry &) = delete;

    template <class T>
    T *showSingle()
    {
        T *screen = find<T>();
        if (!screen) {
            screen = new T();
            screen->setAttribute(Qt::WA_DeleteOnClose);
            m_open.push_back({std::type_index(typeid(T)), screen});
        }
        bringToFront(screen);
        return screen;
    }

    template <class T>
    T *find() const
    {
        for (const Entry &entry : m_open)
            if (entry.type == std::type_index(typeid(T)) && entry.screen)
                return static_cast<T *>(entry.screen.data());
        return nullptr;
    }

    // Closes the open screens, the most recently opened first, so that each stores its pending
    // edits as it closes. A screen that refuses to close stops the walk: its window title is
    // returned (the rest stay open); empty text when all closed.
    QString closeAll();
    int openCount() const;

private:
    struct Entry
    {
        std::type_index type;
        QPointer<QWidget> screen;
    };
    static void bringToFront(QWidget *screen);
    void forgetClosed();

    std::vector<Entry> m_open;
};
