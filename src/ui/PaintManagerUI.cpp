#include "PaintManagerUI.h"

#include <QPointer>

#include "SilentScope.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QVariant>
#include <algorithm>

namespace {

constexpr const char* kManagerProperty = "vpcPaintManager";
constexpr const char* kWiredProperty = "vpcWired";

QWidget* FindInTree(QWidget* parent, const QString& name, bool includeParent) {
    if (!parent) {
        return nullptr;
    }
    if (includeParent && ControlName(parent).compare(name, Qt::CaseInsensitive) == 0) {
        return parent;
    }
    // Pre-order walk in child order, so the first control in tree order wins.
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (!widget || widget->isWindow()) {
            continue;
        }
        if (QWidget* found = FindInTree(widget, name, true)) {
            return found;
        }
    }
    return nullptr;
}

} // namespace

CPaintManagerUI::CPaintManagerUI(QObject* parent) : QObject(parent) {}

CPaintManagerUI::~CPaintManagerUI() {
    m_timers.clear();
}

void CPaintManagerUI::SetRoot(QWidget* root) {
    m_root = root;
    if (root) {
        AttachSubtree(root);
    }
}

void CPaintManagerUI::AttachSubtree(QWidget* subtree) {
    if (!subtree) {
        return;
    }
    WireControl(subtree);
    const QList<QWidget*> descendants = subtree->findChildren<QWidget*>();
    for (QWidget* widget : descendants) {
        WireControl(widget);
    }
}

CControlUI CPaintManagerUI::FindControl(const QString& name) const {
    return CControlUI(FindInTree(m_root, name, true));
}

CControlUI CPaintManagerUI::FindSubControlByName(QWidget* parent, const QString& name) const {
    return CControlUI(FindInTree(parent, name, false));
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (notifier &&
        std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end()) {
        m_notifiers.push_back(notifier);
    }
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    std::erase(m_notifiers, notifier);
}

bool CPaintManagerUI::SetTimer(QWidget* control, int timerId, int elapseMs) {
    if (!control || elapseMs < 0) {
        return false;
    }
    const auto key = std::make_pair(static_cast<const QWidget*>(control), timerId);
    auto it = m_timers.find(key);
    if (it == m_timers.end()) {
        auto timer = std::make_unique<QTimer>();
        timer->setTimerType(elapseMs < 100 ? Qt::PreciseTimer : Qt::CoarseTimer);
        QPointer<QWidget> target(control);
        connect(timer.get(), &QTimer::timeout, this, [this, target, timerId] {
            if (target) {
                OnTimerFired(target, timerId);
            }
        });
        if (!control->property("vpcTimerWatch").toBool()) {
            control->setProperty("vpcTimerWatch", true);
            connect(control, &QObject::destroyed, this, [this](QObject* gone) {
                std::erase_if(m_timers,
                              [gone](const auto& entry) { return entry.first.first == gone; });
            });
        }
        it = m_timers.emplace(key, std::move(timer)).first;
    }
    it->second->start(elapseMs);
    return true;
}

bool CPaintManagerUI::KillTimer(QWidget* control, int timerId) {
    // The timer object stays for the next SetTimer: a control that re-arms its timer on
    // every tick (kill, then set) does not build a new one each time.
    const auto it = m_timers.find(std::make_pair(static_cast<const QWidget*>(control), timerId));
    if (it == m_timers.end() || !it->second->isActive()) {
        return false;
    }
    it->second->stop();
    return true;
}

void CPaintManagerUI::KillTimers(QWidget* control) {
    std::erase_if(m_timers, [control](const auto& entry) { return entry.first.first == control; });
}

bool CPaintManagerUI::HasTimer(QWidget* control, int timerId) const {
    const auto it = m_timers.find(std::make_pair(static_cast<const QWidget*>(control), timerId));
    return it != m_timers.end() && it->second->isActive();
}

void CPaintManagerUI::OnTimerFired(QWidget* control, int timerId) {
    if (auto* target = dynamic_cast<ITimerTargetUI*>(control)) {
        if (target->OnControlTimer(timerId)) {
            return;
        }
    }
    SendNotify(control, DuiEvent::Timer, static_cast<WPARAM>(timerId), 0);
}

void CPaintManagerUI::SendNotify(QWidget* control, const QString& type, WPARAM wParam,
                                 LPARAM lParam, bool async) {
    SendNotify(TNotifyUI{type, control, wParam, lParam}, async);
}

void CPaintManagerUI::SendNotify(const TNotifyUI& msg, bool async) {
    if (async) {
        QMetaObject::invokeMethod(
            this, [this, msg] { Deliver(msg); }, Qt::QueuedConnection);
    } else {
        Deliver(msg);
    }
}

void CPaintManagerUI::Deliver(TNotifyUI msg) {
    // A notifier may remove itself (a window closing) while we deliver.
    const std::vector<INotifyUI*> notifiers = m_notifiers;
    for (INotifyUI* notifier : notifiers) {
        if (std::find(m_notifiers.begin(), m_notifiers.end(), notifier) != m_notifiers.end()) {
            notifier->Notify(msg);
        }
    }
}

void CPaintManagerUI::SetDPI(int dpi) {
    m_dpi = std::clamp(dpi, 48, 480);
}

int CPaintManagerUI::ScaleValue(int value) const {
    return value * m_dpi / 96;
}

QString CPaintManagerUI::GetInstancePath() {
    QString path = QCoreApplication::applicationDirPath();
    if (!path.endsWith('/')) {
        path += '/';
    }
    return path;
}

CPaintManagerUI* CPaintManagerUI::FromControl(const QWidget* control) {
    for (const QWidget* w = control; w; w = w->parentWidget()) {
        const QVariant value = w->property(kManagerProperty);
        if (value.isValid()) {
            return qobject_cast<CPaintManagerUI*>(value.value<QPointer<QObject>>().data());
        }
    }
    return nullptr;
}

void CPaintManagerUI::Emit(QWidget* sender, const QString& type, WPARAM wParam, LPARAM lParam) {
    if (SilentScope::Active()) {
        return;
    }
    SendNotify(sender, type, wParam, lParam, false);
}

void CPaintManagerUI::WireControl(QWidget* control) {
    if (control->property(kWiredProperty).toBool()) {
        return;
    }
    control->setProperty(kWiredProperty, true);
    if (control == m_root) {
        // a guarded pointer: controls that outlive the manager (children are deleted after
        // their window's members) find no manager instead of a dangling one
        control->setProperty(kManagerProperty, QVariant::fromValue(QPointer<QObject>(this)));
    }
    if (ControlName(control).isEmpty() && control != m_root) {
        return; // internal parts of composite widgets raise nothing
    }
    control->installEventFilter(this);

    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::clicked, this,
                [this, button] { Emit(button, DuiEvent::Click); });
        if (button->isCheckable()) {
            connect(button, &QAbstractButton::toggled, this, [this, button](bool checked) {
                Emit(button, DuiEvent::SelectChanged, checked ? 1 : 0);
            });
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        combo->setProperty("vpcLastIndex", combo->currentIndex());
        connect(combo, &QComboBox::currentIndexChanged, this, [this, combo](int index) {
            const int previous = combo->property("vpcLastIndex").toInt();
            combo->setProperty("vpcLastIndex", index);
            Emit(combo, DuiEvent::ItemSelect, static_cast<WPARAM>(index), previous);
        });
    } else if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        connect(slider, &QAbstractSlider::sliderMoved, this, [this, slider](int value) {
            Emit(slider, DuiEvent::MoveValueChanged, static_cast<WPARAM>(value));
        });
        connect(slider, &QAbstractSlider::sliderReleased, this, [this, slider] {
            Emit(slider, DuiEvent::ValueChanged, static_cast<WPARAM>(slider->value()));
        });
        connect(slider, &QAbstractSlider::valueChanged, this, [this, slider](int value) {
            if (!slider->isSliderDown()) { // keys, wheel and page clicks
                Emit(slider, DuiEvent::ValueChanged, static_cast<WPARAM>(value));
            }
        });
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        connect(edit, &QLineEdit::textEdited, this,
                [this, edit] { Emit(edit, DuiEvent::TextChanged); });
        connect(edit, &QLineEdit::returnPressed, this,
                [this, edit] { Emit(edit, DuiEvent::Return); });
    } else if (auto* list = qobject_cast<QListWidget*>(control)) {
        connect(list, &QListWidget::itemClicked, this, [this, list](QListWidgetItem* item) {
            Emit(list, DuiEvent::ItemClick, static_cast<WPARAM>(list->row(item)));
        });
        connect(list, &QListWidget::itemActivated, this, [this, list](QListWidgetItem* item) {
            Emit(list, DuiEvent::ItemActivate, static_cast<WPARAM>(list->row(item)));
        });
        connect(list, &QListWidget::currentRowChanged, this, [this, list](int row) {
            Emit(list, DuiEvent::ItemSelect, static_cast<WPARAM>(row));
        });
    }
}

bool CPaintManagerUI::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::MouseButtonDblClick:
    case QEvent::ContextMenu:
    case QEvent::Resize:
        break;
    default:
        return false; // paint and timer events pass many times a second: no lookups for them
    }
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control) {
        return false;
    }
    const bool ownPointerEvents = control->property(kOwnPointerEventsProperty).toBool();
    switch (event->type()) {
    case QEvent::FocusIn:
        Emit(control, DuiEvent::SetFocus);
        break;
    case QEvent::FocusOut:
        Emit(control, DuiEvent::KillFocus);
        break;
    case QEvent::Enter:
        if (!ownPointerEvents) {
            Emit(control, DuiEvent::MouseEnter);
        }
        break;
    case QEvent::Leave:
        if (!ownPointerEvents) {
            Emit(control, DuiEvent::MouseLeave);
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (!ownPointerEvents) {
            Emit(control, DuiEvent::DoubleClick);
        }
        break;
    case QEvent::ContextMenu: {
        if (ownPointerEvents) {
            break;
        }
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        Emit(control, DuiEvent::Menu, static_cast<WPARAM>(menuEvent->globalPos().x()),
             menuEvent->globalPos().y());
        break;
    }
    case QEvent::Resize:
        if (control == m_root) {
            Emit(control, DuiEvent::WindowSize, static_cast<WPARAM>(control->width()),
                 control->height());
        }
        break;
    default:
        break;
    }
    return false;
}
