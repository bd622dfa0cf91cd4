#pragma once
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <map>
#include <stdexcept>
#include <type_traits>
#include <typeindex>
#include <vector>

// The screens the main window has opened, one instance per screen class, in opening order.
// showSingle<T>() creates a screen the first time (its load steps run then), and afterwards
// only shows, raises and activates it. A screen closed by the user is deleted, so the next
// showSingle<T>() loads it afresh. A screen is made by the factory set for its class (one
// that needs the shell's doors, say), else by its default constructor.
class ScreenRegistry
{
public:
    ScreenRegistry() = default;
    ~ScreenRegistry();
    ScreenRegistry(const ScreenRegistry &) = delete;
    ScreenRegistry &operator=(const ScreenRegistry &) = delete;

    template <class T>
    void setFactory(std::function<T *()> make)
    {
        m_factories[std::type_index(typeid(T))] = [make = std::move(make)]() -> QWidget * { return make(); };
    }

    template <class T>
    T *showSingle()
    {
        return showSingle<T>([this] { return make<T>(); });
    }
    // The same, made by `make` when it is not open yet: a screen opened another way than its
    // tab opens it (the daily ticket for a check-in, asking nothing).
    template <class T, class Make>
    T *showSingle(Make &&make)
    {
        T *screen = find<T>();
        if (!screen) {
            screen = make();
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
    template <class T>
    T *make() const
    {
        const auto factory = m_factories.find(std::type_index(typeid(T)));
        if (factory != m_factories.end())
            return static_cast<T *>(factory->second());
        if constexpr (std::is_default_constructible_v<T>)
            return new T();
        else
            throw std::logic_error("A screen was opened before its factory was set.");
    }

    struct Entry
    {
        std::type_index type;
        QPointer<QWidget> screen;
    };
    static void bringToFront(QWidget *screen);
    void forgetClosed();

    std::vector<Entry> m_open;
    std::map<std::type_index, std::function<QWidget *()>> m_factories;
};
