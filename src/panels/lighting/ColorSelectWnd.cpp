#include "ColorSelectWnd.h"

#include "LightControlUI.h"
#include "LightRecordWords.h"

#include <algorithm>
#include <array>

namespace vpc::panels {

namespace {

constexpr std::array<int, 7> kAcceptedDpis = {48, 72, 96, 120, 144, 168, 192};
constexpr UINT kLanguageChangedMessage = 3089;
const char* const kBoxNames[3] = {"color_edit_r", "color_edit_g", "color_edit_b"};

QPointer<CColorSelectWnd>& RunningWindow() {
    static QPointer<CColorSelectWnd> window;
    return window;
}

// The number of a control whose name is prefix + n (exactly that prefix), or -1.
int NumberAfter(const QString& name, const QString& prefix) {
    if (!name.startsWith(prefix, Qt::CaseInsensitive))
        return -1;
    bool ok = false;
    const int n = name.mid(prefix.size()).toInt(&ok);
    return ok && n >= 0 && n < data::kPaletteSize ? n : -1;
}

} // namespace

CColorSelectWnd::CColorSelectWnd(data::CPaletteFile file, QWidget* parent)
    : WindowImplBase(parent), m_file(std::move(file)) {}

CControlUI CColorSelectWnd::Standard(int n) const {
    return FindControl(QStringLiteral("color_option_%1").arg(n));
}

CControlUI CColorSelectWnd::Saved(int n) const {
    return FindControl(QStringLiteral("collect_color_option_%1").arg(n));
}

void CColorSelectWnd::InitWindow() {
    m_palette = FindControl(QStringLiteral("Pallet"));
    if (!m_file.OpenPaletteFile())
        qWarning("Palette window: no palette file at %s", m_file.GetUserFile().c_str());
    // The skin's colours stand for any that the file lacks.
    for (int n = 0; n < data::kPaletteSize; ++n) {
        CControlUI option = Standard(n);
        const QColor skin(option.widget() ? option.widget()->property("presetColor").toString()
                                          : QString());
        if (skin.isValid())
            PaintSwatch(option.widget(), 0xFF000000u | (skin.rgb() & 0xFFFFFFu));
    }
    // The standard options keep the colours the skin gives them; the file only says which
    // one is selected.
    const data::StandardColors standard = m_file.LoadStandardColors();
    if (standard.selectItem) {
        m_standardOption = *standard.selectItem;
        Standard(m_standardOption).Selected(true, false);
    }
    const data::SavedColors saved = m_file.LoadSavedColors();
    for (int n = 0; n < data::kPaletteSize; ++n) {
        const data::SavedColorSlot& slot = saved.colors[static_cast<std::size_t>(n)];
        CControlUI button = Saved(n);
        PaintSwatch(button.widget(), slot.ShownColor());
        button.SetUserData(QString::fromStdString(slot.userData));
    }
    if (saved.selectItem >= 0 && saved.selectItem < data::kPaletteSize) {
        m_savedSlot = saved.selectItem;
        Saved(m_savedSlot).Selected(true, false);
    }
}

void CColorSelectWnd::SetDpi(int dpi) {
    if (std::find(kAcceptedDpis.begin(), kAcceptedDpis.end(), dpi) == kAcceptedDpis.end()) {
        qDebug("SET_WND DPI SET ERROR");
        dpi = kDefaultDpi;
    }
    m_dpi = dpi;
    PaintManager().SetDPI(dpi);
}

void CColorSelectWnd::ShowComponents(std::uint32_t argb) {
    FindControl(QString::fromLatin1(kBoxNames[0])).SetText(QString::number((argb >> 16) & 0xFF));
    FindControl(QString::fromLatin1(kBoxNames[1])).SetText(QString::number((argb >> 8) & 0xFF));
    FindControl(QString::fromLatin1(kBoxNames[2])).SetText(QString::number(argb & 0xFF));
}

void CColorSelectWnd::SetColor(std::uint32_t argb) {
    CControlUI show = FindControl(QStringLiteral("color_show_btn"));
    show.SetBkImage(QString());
    PaintSwatch(show.widget(), argb);
    m_palette.SetSelectColor(argb);
    m_color = argb;
    ShowComponents(argb);
}

void CColorSelectWnd::ShowSevenColor(bool on) {
    CControlUI seven = FindControl(QStringLiteral("7color"));
    seven.SetEnabled(on);
    FindControl(QStringLiteral("7color_layout")).SetVisible(on);
    if (!on)
        seven.Selected(false, false);
}

void CColorSelectWnd::SetSevenColorFlag(bool on) {
    m_sevenColor = on;
    FindControl(QStringLiteral("color_show_btn"))
        .SetBkImage(on ? QString::fromLatin1(kSevenColorImage) : QString());
    if (!on)
        FindControl(QStringLiteral("7color")).Selected(false, false);
}

void CColorSelectWnd::SaveStandardColors() {
    std::array<std::uint32_t, data::kPaletteSize> colours{};
    for (int n = 0; n < data::kPaletteSize; ++n)
        colours[static_cast<std::size_t>(n)] = Standard(n).GetBkColor();
    if (!m_file.SaveStandardColors(colours, m_standardOption))
        qWarning("Palette window: standard colours not saved");
}

void CColorSelectWnd::SaveSavedColors() {
    data::SavedColors saved;
    for (int n = 0; n < data::kPaletteSize; ++n) {
        const CControlUI button = Saved(n);
        data::SavedColorSlot& slot = saved.colors[static_cast<std::size_t>(n)];
        slot.userData = button.GetUserData().toStdString();
        slot.color = slot.IsSaved() ? button.GetBkColor() : data::kPaletteWhite;
    }
    saved.selectItem = Saved(m_savedSlot).IsSelected() ? m_savedSlot : -1;
    if (!m_file.SaveSavedColors(saved))
        qWarning("Palette window: saved colours not saved");
}

void CColorSelectWnd::SavedSlotStep() {
    CControlUI slot = Saved(m_savedSlot);
    if (slot && slot.IsSelected()) {
        PaintSwatch(slot.widget(), m_color);
        slot.SetUserData(QStringLiteral("1"));
        slot.Selected(true, true);
        SaveSavedColors();
    }
    PaintSwatch(FindControl(QStringLiteral("color_show_btn")).widget(), m_color);
    SetSevenColorFlag(false);
}

void CColorSelectWnd::ReadBoxes() {
    std::array<std::uint8_t, 3> values{};
    for (int i = 0; i < 3; ++i) {
        CControlUI box = FindControl(QString::fromLatin1(kBoxNames[i]));
        const ColorComponent typed = ReadColorComponent(box.GetText());
        if (box.GetText() != typed.shown)
            box.SetText(typed.shown);
        values[static_cast<std::size_t>(i)] = typed.value;
    }
    m_color = 0xFF000000u | (std::uint32_t{values[0]} << 16) | (std::uint32_t{values[1]} << 8) |
              values[2];
    m_palette.SetSelectColor(m_color);
    SavedSlotStep();
}

void CColorSelectWnd::Notify(TNotifyUI& msg) {
    const QString name = ControlName(msg.pSender);
    if (msg.sType == DuiEvent::SelectChanged) {
        const bool selected = CControlUI(msg.pSender).IsSelected();
        if (const int n = NumberAfter(name, QStringLiteral("color_option_")); n >= 0 && selected) {
            m_standardOption = n;
            SaveStandardColors();
            m_color = Standard(n).GetBkColor();
            m_palette.SetSelectColor(m_color);
            SavedSlotStep();
            ShowComponents(m_color);
        } else if (const int s = NumberAfter(name, QStringLiteral("collect_color_option_"));
                   s >= 0 && selected) {
            m_savedSlot = s;
            CControlUI slot = Saved(s);
            if (slot.GetUserData() == QLatin1String("1")) {
                SaveSavedColors();
                const std::uint32_t colour = slot.GetBkColor();
                PaintSwatch(FindControl(QStringLiteral("color_show_btn")).widget(), colour);
                SetSevenColorFlag(false);
                m_palette.SetSelectColor(colour);
                ShowComponents(colour);
            }
        } else if (name == QLatin1String("7color")) {
            SetSevenColorFlag(selected);
        }
    } else if (msg.sType == DuiEvent::ColorChanged && name == QLatin1String("Pallet")) {
        m_color = m_palette.GetSelectColor();
        SavedSlotStep();
        ShowComponents(m_color);
    } else if (msg.sType == DuiEvent::KillFocus &&
               (name == QLatin1String(kBoxNames[0]) || name == QLatin1String(kBoxNames[1]) ||
                name == QLatin1String(kBoxNames[2]))) {
        ReadBoxes();
    } else if (msg.sType == DuiEvent::Click) {
        if (name == QLatin1String("okbtn")) {
            if (m_palette) {
                m_color = FindControl(QStringLiteral("color_show_btn")).GetBkColor();
                Close(1);
            } else {
                Close(2);
            }
        } else if (name == QLatin1String("closebtn") || name == QLatin1String("laterbtn")) {
            Close(0);
        } else if (name == QLatin1String("minbtn")) {
            showMinimized();
        } else if (name == QLatin1String("maxbtn")) {
            showMaximized();
        } else if (name == QLatin1String("restorebtn")) {
            showNormal();
        }
    }
    WindowImplBase::Notify(msg);
}

LRESULT CColorSelectWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
    if (message == kLanguageChangedMessage) {
        updateGeometry();
        update();
        handled = true;
        return 0;
    }
    return WindowImplBase::HandleMessage(message, wParam, lParam, handled);
}

CColorSelectWnd* CColorSelectWnd::OpenWindow() {
    return RunningWindow().data();
}

std::optional<std::uint32_t> CColorSelectWnd::Choose(QWidget* owner, std::uint32_t start, int dpi,
                                                     data::CPaletteFile file) {
    if (RunningWindow())
        return std::nullopt; // one at a time
    CColorSelectWnd window(std::move(file), owner);
    window.setWindowFlag(Qt::Tool);
    if (!window.Create(owner, QStringLiteral("PalletDialog"), 0, 0, kWidth, kHeight))
        return std::nullopt;
    RunningWindow() = &window;
    window.SetDpi(dpi);
    window.SetColor(start);
    window.ShowSevenColor(false);
    window.CenterWindow();
    const int result = window.ShowModal();
    RunningWindow() = nullptr;
    if (result != 1)
        return std::nullopt;
    return window.GetColor();
}

} // namespace vpc::panels
