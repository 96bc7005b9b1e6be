#pragma once

#include <QObject>

#include <utility>

// Shared model objects announce every write before it happens (objectWillChange, synchronous) and
// tell views once per event-loop pass that something changed (changed, coalesced), so a burst of
// writes costs one refresh.
class ObservableObject : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    void willChange();
    // Tells the views once on the next pass, without the announcement before a write: for changes
    // made to objects the owner holds (a box's fields), which announce on their own.
    void scheduleChanged();

signals:
    void objectWillChange();
    void changed();

private:
    bool m_changePending = false;
};

// One published field: every write and every in-place change announces on its owner first.
template <class T> class Published
{
public:
    explicit Published(ObservableObject* owner, T initial = T {})
        : m_owner(owner)
        , m_value(std::move(initial))
    {
    }
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return m_value; }
    operator const T&() const { return m_value; }

    void set(T value)
    {
        m_owner->willChange();
        m_value = std::move(value);
    }

    template <class F> void modify(F&& change)
    {
        m_owner->willChange();
        std::forward<F>(change)(m_value);
    }

private:
    ObservableObject* m_owner;
    T m_value;
};
