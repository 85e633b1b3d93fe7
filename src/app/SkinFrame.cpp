#include "SkinFrame.h"

#include "SkinSettings.h"

#include <QFileDialog>
#include <QStackedWidget>

namespace {

QString DefaultChooser(QWidget* parent) {
    return QFileDialog::getOpenFileName(parent, QString(), QString(),
                                        QStringLiteral("(*.png) (*.png);;(*.*) (*)"));
}

} // namespace

CSkinFrame::CSkinFrame(QWidget* owner, QWidget* anchor)
    : m_anchor(anchor), m_chooseImage(DefaultChooser) {
    Q_UNUSED(owner);
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    setAttribute(Qt::WA_DeleteOnClose);
}

CSkinFrame* CSkinFrame::Open(QWidget* owner, QWidget* anchor) {
    auto* frame = new CSkinFrame(owner, anchor); // deletes itself on close
    frame->Create(nullptr, QStringLiteral("skinframe"), 0, 0, 300, 236);
    if (anchor) {
        const QRect anchorRect(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
        frame->move(PlacementFor(anchorRect, frame->size()));
    }
    frame->show();
    return frame;
}

QPoint CSkinFrame::PlacementFor(const QRect& anchorOnScreen, const QSize& size) {
    return {anchorOnScreen.right() + 1 - size.width(), anchorOnScreen.bottom() + 1};
}

void CSkinFrame::InitWindow() {
    if (auto* tabs = PaintManager().FindControlAs<QStackedWidget>("skin_tab")) {
        tabs->setCurrentIndex(0);
    }
}

void CSkinFrame::Notify(TNotifyUI& msg) {
    if (msg.sType != DuiEvent::Click || !msg.pSender) {
        return;
    }
    const QString name = ControlName(msg.pSender);
    const CControlUI sender(msg.pSender);
    auto* tabs = PaintManager().FindControlAs<QStackedWidget>("skin_tab");
    if (name.compare("skin_image_btn", Qt::CaseInsensitive) == 0) {
        ChooseImage(sender.GetUserData(), true);
    } else if (name.compare("skin_color_btn", Qt::CaseInsensitive) == 0) {
        CSkinChangeNotifier::Instance().Broadcast({true, sender.GetBkColor(), {}});
    } else if (name.compare("skin_color", Qt::CaseInsensitive) == 0) {
        if (tabs) {
            tabs->setCurrentIndex(1);
        }
    } else if (name.compare("skin_image", Qt::CaseInsensitive) == 0) {
        if (tabs) {
            tabs->setCurrentIndex(0);
        }
    } else if (name.compare("skin_reset", Qt::CaseInsensitive) == 0) {
        CSkinChangeNotifier::Instance().Broadcast({false, 0, vpc::data::kDefaultSkinImage});
        if (!vpc::data::ResetSkinImage(vpc::data::GetSkinFilePath())) {
            qWarning("Cannot write the skin settings file");
        }
    } else if (name.compare("skin_Custom", Qt::CaseInsensitive) == 0) {
        const QString file = m_chooseImage ? m_chooseImage(this) : QString();
        if (!file.isEmpty()) {
            ChooseImage(file, false);
        }
    }
}

void CSkinFrame::ChooseImage(const QString& image, bool remember) {
    if (image.isEmpty()) {
        return;
    }
    CSkinChangeNotifier::Instance().Broadcast({false, 0, image});
    if (remember &&
        !vpc::data::WriteSkinImage(vpc::data::GetSkinFilePath(), true, image.toStdString())) {
        qWarning("Cannot write the skin settings file");
    }
}

void CSkinFrame::OnFinalMessage() {}
