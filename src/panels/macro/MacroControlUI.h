// The macro panel of a keyboard or mouse page: the device's macros by name, the actions of the
// open one as rows, recording from the keyboard and mouse into them, mouse buttons and moves
// inserted by hand, delays edited, rows moved and deleted, and the macro saved to its file.
#pragma once

#include "MacroActionModel.h"
#include "MacroRecorder.h"

#include "MacroStore.h"
#include "SkinPanelUI.h"

#include <QPointer>
#include <filesystem>
#include <functional>
#include <optional>

class QListWidget;
class QTableView;

namespace vpc::panels {

class CMacroControlUI : public CSkinPanelUI {
    Q_OBJECT
    Q_PROPERTY(QString controlClass READ GetClass CONSTANT)
public:
    static constexpr const char* kClassText = "MacroControl";
    static constexpr const char* kRegisteredName = "MacroControl";
    static constexpr const char* kLayout = "XML\\CustomControlXML\\MacroControl.xml";

    explicit CMacroControlUI(QWidget* parent = nullptr);
    ~CMacroControlUI() override;
    QString GetClass() const { return QString::fromLatin1(kClassText); }

    // The device's user folder (its "macro.config" and ".mac" files); reloads the list.
    void SetMacroFolder(const std::filesystem::path& folder);
    const std::filesystem::path& MacroFolder() const { return m_folder; }
    // The millisecond clock recordings measure delays with (a steady clock by default).
    void SetClock(std::function<std::uint64_t()> clock) { m_clock = std::move(clock); }

    // --- the macros ---------------------------------------------------------------------------
    void LoadMacroList();
    int GetSelectedMacro() const;
    void SelectMacro(int index);
    QStringList MacroNames() const;
    void OpenSelectedMacro();
    bool SaveSelectedMacro();
    // The new macro's name, empty when none was added.
    QString AddMacro();
    // The new name, empty when refused; index -1 when no macro is selected.
    QString RenameMacro(int& index);
    // Removes the selected macro; false when it could not be removed.
    bool RemoveSelectedMacro();
    QString ImportMacro(const std::filesystem::path& source);
    bool ExportMacro(const std::filesystem::path& destination) const;

    // --- recording ----------------------------------------------------------------------------
    bool IsConstantTimeChecked() const;
    void BeginRecording(macro::TimeMode mode);
    void EndRecording();
    bool IsRecording() const { return m_recording; }
    void SetRecordingLayout(bool enabled);
    bool RecordKey(macro::RecordPosition position, const macro::KeyHookEvent& event);
    bool RecordMouse(macro::RecordPosition position, const macro::MouseHookEvent& event);

    // --- editing ------------------------------------------------------------------------------
    // message 0x0200 (moves, variant 0-3) or a button message (variant 0 forward, 1 back).
    bool InsertMouseAction(std::uint32_t message, int variant);
    bool MoveActionUp();
    bool MoveActionDown();
    bool MoveActionToTop();
    bool MoveActionToBottom();
    bool DeleteAction();
    void DeleteAllActions();
    void SelectAction(int row);

    const macro::CMacroRecorder& Recorder() const { return m_recorder; }

    // What the rows' menu does with a chosen item ("redio_later_record_time", "left_click",
    // ...): recordings go to the requester the main window set, insertions happen here.
    void RunMenuItem(const QString& item);
    using RecordingRequester =
        std::function<void(CMacroControlUI& panel, int hookMode, macro::TimeMode mode)>;
    static void SetRecordingRequester(RecordingRequester requester);

signals:
    // A row's delay was edited: the main window saves the macro.
    void delayEdited();

protected:
    bool event(QEvent* event) override;
    void OnContentBuilt() override;

private:
    void ShowRows();
    void ShowRowMenu(const QPoint& position);
    void ScrollToSelection();
    std::uint64_t Now() const;
    std::optional<macro::ScreenRect> StopButtonRect() const;
    data::CMacroStore Store() const { return data::CMacroStore(m_folder); }

    QPointer<QListWidget> m_names;
    QPointer<QTableView> m_actions;
    macro::CMacroRecorder m_recorder;
    macro::CMacroActionModel* m_model = nullptr; // owned by this panel
    std::filesystem::path m_folder;
    std::function<std::uint64_t()> m_clock;
    bool m_recording = false;
};

// Registers the panel with the control factory, so device pages can name it.
void RegisterMacroControls();
// The macro panel of a device page, or none.
CMacroControlUI* MacroPanelOf(QWidget* device);

} // namespace vpc::panels
