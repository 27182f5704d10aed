#include "platform/blocked_input.hpp"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace quarn {

namespace {

bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

// The window system's input that arrived while the thread blocked is handed
// out in the first pass of the event loop after it. A fence posted when the
// last scope ends re-posts itself once; when it comes back, that pass is
// over and the filter goes.
const QEvent::Type kFenceEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class InputDropper : public QObject {
public:
    int scopes = 0;
    bool installed = false;
    unsigned generation = 0;

    void Begin()
    {
        ++scopes;
        ++generation;
        if (!installed) {
            QCoreApplication::instance()->installEventFilter(this);
            installed = true;
        }
    }

    void End()
    {
        if (--scopes == 0)
            QCoreApplication::postEvent(this, new Fence(generation, 1));
    }

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override { return IsUserInput(event->type()); }

    void customEvent(QEvent* event) override
    {
        if (event->type() != kFenceEvent)
            return;
        const auto* fence = static_cast<const Fence*>(event);
        if (fence->generation != generation || scopes != 0)
            return;  // a later scope posts its own fence
        if (fence->round == 1) {
            QCoreApplication::postEvent(this, new Fence(generation, 2));
            return;
        }
        QCoreApplication::instance()->removeEventFilter(this);
        installed = false;
    }

private:
    struct Fence : QEvent {
        Fence(unsigned scopeGeneration, int pass) : QEvent(kFenceEvent), generation(scopeGeneration), round(pass) {}
        unsigned generation;
        int round;
    };
};

InputDropper* Dropper()
{
    // Lives as long as the application; a new application gets a new one.
    static QObject* owner = nullptr;
    static InputDropper* dropper = nullptr;
    if (QCoreApplication::instance() == nullptr)
        return nullptr;
    if (owner != QCoreApplication::instance()) {
        owner = QCoreApplication::instance();
        dropper = new InputDropper;
        dropper->setParent(owner);
    }
    return dropper;
}

}  // namespace

DroppedInputScope::DroppedInputScope()
{
    if (InputDropper* dropper = Dropper())
        dropper->Begin();
}

DroppedInputScope::~DroppedInputScope()
{
    if (InputDropper* dropper = Dropper())
        dropper->End();
}

bool InputIsDropped()
{
    const InputDropper* dropper = Dropper();
    return dropper != nullptr && dropper->installed;
}

}  // namespace quarn
