// The colour palette window "PalletDialog": twenty standard colours, twenty slots for saved
// colours, a palette control and red, green and blue boxes; the colours are kept in
// "color_option_info.config". Modal; the caller takes the chosen colour after a result of 1.
#pragma once

#include "PaletteFile.h"
#include "WindowImplBase.h"

#include <QPointer>
#include <cstdint>
#include <optional>

namespace vpc::panels {

class CColorSelectWnd : public WindowImplBase {
    Q_OBJECT
public:
    static constexpr int kDefaultDpi = 96;
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 572;
    static constexpr const char* kSevenColorImage = "common/base1.png";

    explicit CColorSelectWnd(data::CPaletteFile file = data::CPaletteFile::FromDataFolders(),
                             QWidget* parent = nullptr);

    QString GetWindowClassName() const override { return QStringLiteral("ColorSelectWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("PalletDialog.xml"); }
    void InitWindow() override;
    void Notify(TNotifyUI& msg) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

    // 48, 72, 96, 120, 144, 168 or 192; anything else is 96 with the line "SET_WND DPI SET ERROR".
    void SetDpi(int dpi);
    int Dpi() const { return m_dpi; }
    void SetColor(std::uint32_t argb);
    std::uint32_t GetColor() const { return m_color; }
    void ShowSevenColor(bool on);
    bool IsSevenColor() const { return m_sevenColor; }
    int SelectedStandardOption() const { return m_standardOption; }
    int SelectedSavedSlot() const { return m_savedSlot; }

    // Opens the window owned by owner (one at a time), starting with a colour, and runs it
    // modally. The chosen colour after "okbtn", nothing otherwise or while one is open.
    static std::optional<std::uint32_t>
    Choose(QWidget* owner, std::uint32_t start, int dpi,
           data::CPaletteFile file = data::CPaletteFile::FromDataFolders());
    // The window of a running Choose, for the program's own use (and tests).
    static CColorSelectWnd* OpenWindow();

private:
    CControlUI Standard(int n) const;
    CControlUI Saved(int n) const;
    void ShowComponents(std::uint32_t argb);
    void SavedSlotStep();
    void SaveStandardColors();
    void SaveSavedColors();
    void SetSevenColorFlag(bool on);
    void ReadBoxes();

    data::CPaletteFile m_file;
    CControlUI m_palette;
    std::uint32_t m_color = 0xFFFFFFFFu;
    int m_standardOption = 4;
    int m_savedSlot = 0;
    bool m_sevenColor = false;
    int m_dpi = kDefaultDpi;
};

} // namespace vpc::panels
