#include "MouseRoutes.h"

#include "CorvaneMouseDevice.h"

#include "ControlUI.h"

#include <algorithm>
#include <memory>

namespace vpc::panels {

namespace {

using devices::CCorvaneMouseDevice;
using Services = std::shared_ptr<const MouseRouteServices>;

constexpr int kCalculatorMinimum = 200;
constexpr int kCalculatorMaximum = 6500;

CCorvaneMouseDevice* MouseOf(const RouteCall& call) {
    return qobject_cast<CCorvaneMouseDevice*>(call.current.device);
}

// Saves the profile and writes the onboard record with the window's screen size.
void SaveAndWrite(CCorvaneMouseDevice& mouse, const Services& services) {
    mouse.SaveProfile();
    const QSize screen = services->screenPixels ? services->screenPixels() : QSize();
    mouse.WriteOnboardProfile(0, 0, 1, screen.width(), screen.height());
}

// The stage list with at least count entries.
std::vector<data::DpiStage> StagesOfAtLeast(const CCorvaneMouseDevice& mouse, std::size_t count) {
    std::vector<data::DpiStage> stages = mouse.GetStages();
    if (stages.size() < count)
        stages.resize(count);
    return stages;
}

// DPI changes need a scale to convert positions by; without one the user is told.
bool DpiWritable(CCorvaneMouseDevice& mouse, const Services& services) {
    if (mouse.IsDpiScaleUsable())
        return true;
    if (services->showMessage)
        services->showMessage(QStringLiteral("ms_dpi_unusable"));
    mouse.RefreshPanel(); // the stages as stored
    return false;
}

void SetStagePosition(CCorvaneMouseDevice& mouse, int stage, int position,
                      const Services& services) {
    mouse.ShowDpiValue(stage, position);
    std::vector<data::DpiStage> stages =
        StagesOfAtLeast(mouse, static_cast<std::size_t>(stage) + 1);
    stages[static_cast<std::size_t>(stage)].stageDpiX = static_cast<std::uint16_t>(position);
    stages[static_cast<std::size_t>(stage)].stageDpiY = static_cast<std::uint16_t>(position);
    mouse.SetStages(stages);
    SaveAndWrite(mouse, services);
}

bool InStageRange(int n) {
    return n >= 0 && n < devices::mouse::kDpiStageCount;
}

// The halves of the three settings words: (double-click time, pointer speed), (precision,
// scroll by page), (wheel lines, polling option).
void SetSettingHalf(CCorvaneMouseDevice& mouse, int word, bool high, int value) {
    data::SystemStageWords words = mouse.GetMouseSettings();
    std::uint32_t& w = words[static_cast<std::size_t>(word)];
    const auto half = static_cast<std::uint16_t>(std::clamp(value, 0, 0xFFFF));
    w = high ? data::PackHalves(data::LowHalf(w), half) : data::PackHalves(half, data::HighHalf(w));
    mouse.SetMouseSettings(words[0], words[1], words[2]);
}

} // namespace

int ClampCalculatorDpi(const QString& text) {
    const QString trimmed = text.trimmed();
    int digits = 0;
    while (digits < trimmed.size() && digits < 9 && trimmed[digits].isDigit())
        ++digits;
    const int typed = digits == 0 ? 0 : trimmed.left(digits).toInt();
    return std::clamp(typed, kCalculatorMinimum, kCalculatorMaximum);
}

void RegisterMouseRoutes(CRouteTable& table, MouseRouteServices provided) {
    const auto services = std::make_shared<const MouseRouteServices>(std::move(provided));
    const auto onMouse = [](std::function<void(CCorvaneMouseDevice&, RouteCall&)> action) {
        return [action = std::move(action)](RouteCall& call) {
            if (CCorvaneMouseDevice* mouse = MouseOf(call))
                action(*mouse, call);
        };
    };
    constexpr auto kSection = RouteSection::DeviceSettings;
    const QString select = QString::fromLatin1(DuiEvent::SelectChanged);
    const QString value = QString::fromLatin1(DuiEvent::ValueChanged);
    const QString moving = QString::fromLatin1(DuiEvent::MoveValueChanged);
    const QString leave = QString::fromLatin1(DuiEvent::KillFocus);
    const QString enter = QString::fromLatin1(DuiEvent::Return);
    const QString click = QString::fromLatin1(DuiEvent::Click);

    table.AddNumbered(
        kSection, select, QStringLiteral("DPI_select_check_"), DeviceNeed::Mouse,
        onMouse([services](CCorvaneMouseDevice& mouse, RouteCall& call) {
            if (!InStageRange(call.number) || !CControlUI(call.msg.pSender).IsSelected())
                return;
            if (!DpiWritable(mouse, services))
                return;
            mouse.SetCurrentStage(call.number);
            std::vector<data::DpiStage> stages =
                StagesOfAtLeast(mouse, static_cast<std::size_t>(devices::mouse::kDpiStageCount));
            for (int i = 0; i < devices::mouse::kDpiStageCount; ++i) {
                const int position = mouse.GetDpiSliderValue(i);
                mouse.ShowDpiValue(i, position);
                stages[static_cast<std::size_t>(i)].stageDpiX =
                    static_cast<std::uint16_t>(position);
            }
            mouse.SetStages(stages);
            mouse.ShowDpiStageEnabled(call.number, true);
            SaveAndWrite(mouse, services);
        }));
    table.AddNumbered(kSection, select, QStringLiteral("DPI_enable_check_"), DeviceNeed::Mouse,
                      onMouse([services](CCorvaneMouseDevice& mouse, RouteCall& call) {
                          if (!InStageRange(call.number))
                              return;
                          const bool on = CControlUI(call.msg.pSender).IsSelected();
                          std::vector<data::DpiStage> stages =
                              StagesOfAtLeast(mouse, static_cast<std::size_t>(call.number) + 1);
                          int others = 0;
                          for (std::size_t i = 0; i < stages.size() && i < 5; ++i)
                              if (static_cast<int>(i) != call.number && stages[i].stageActive != 0)
                                  ++others;
                          if (!on && (others == 0 || call.number == mouse.ActiveStage())) {
                              // the last stage on, or the one in use, stays on
                              mouse.ShowDpiStageEnabled(call.number, true);
                              return;
                          }
                          mouse.ShowDpiStageEnabled(call.number, on);
                          stages[static_cast<std::size_t>(call.number)].stageActive = on ? 1 : 0;
                          mouse.SetStages(stages);
                          SaveAndWrite(mouse, services);
                      }));
    table.AddNumbered(kSection, value, QStringLiteral("DPI_slider_"), DeviceNeed::Mouse,
                      onMouse([services](CCorvaneMouseDevice& mouse, RouteCall& call) {
                          if (!InStageRange(call.number) || !DpiWritable(mouse, services))
                              return;
                          SetStagePosition(mouse, call.number, mouse.GetDpiSliderValue(call.number),
                                           services);
                      }));
    table.AddNumbered(kSection, moving, QStringLiteral("DPI_slider_"), DeviceNeed::Mouse,
                      onMouse([](CCorvaneMouseDevice& mouse, RouteCall& call) {
                          if (InStageRange(call.number))
                              mouse.ShowDpiValue(call.number, mouse.GetDpiSliderValue(call.number));
                      }));
    for (const QString& type : {leave, enter})
        table.AddNumbered(kSection, type, QStringLiteral("DPI_edit_"), DeviceNeed::Mouse,
                          onMouse([services](CCorvaneMouseDevice& mouse, RouteCall& call) {
                              if (!InStageRange(call.number) || !DpiWritable(mouse, services))
                                  return;
                              const std::optional<int> position = mouse.ReadDpiEdit(call.number);
                              if (position)
                                  SetStagePosition(mouse, call.number, *position, services);
                          }));
    table.AddNumbered(kSection, click, QStringLiteral("DPI_color_option_"), DeviceNeed::Mouse,
                      onMouse([services](CCorvaneMouseDevice& mouse, RouteCall& call) {
                          if (!InStageRange(call.number) || !services->chooseColour)
                              return;
                          const std::optional<std::uint32_t> colour =
                              services->chooseColour(mouse.GetDpiColor(call.number));
                          if (!colour)
                              return;
                          mouse.SetDpiColor(call.number, *colour);
                          std::vector<data::DpiStage> stages =
                              StagesOfAtLeast(mouse, static_cast<std::size_t>(call.number) + 1);
                          data::DpiStage& stage = stages[static_cast<std::size_t>(call.number)];
                          stage.stageColorR = static_cast<std::uint8_t>(*colour >> 16);
                          stage.stageColorG = static_cast<std::uint8_t>(*colour >> 8);
                          stage.stageColorB = static_cast<std::uint8_t>(*colour);
                          mouse.SetStages(stages);
                          SaveAndWrite(mouse, services);
                      }));
    table.AddNumbered(kSection, select, QStringLiteral("polling_rate_option_"), DeviceNeed::Mouse,
                      onMouse([services](CCorvaneMouseDevice& mouse, RouteCall& call) {
                          if (call.number < 0 || call.number >= devices::mouse::kPollingOptions ||
                              !CControlUI(call.msg.pSender).IsSelected())
                              return;
                          SetSettingHalf(mouse, 2, true, call.number);
                          SaveAndWrite(mouse, services);
                      }));
    struct PointerControl {
        const char* name;
        const char* type;
        int word;
        bool high;
    };
    for (const PointerControl& control :
         {PointerControl{"pointer_speed_slider", DuiEvent::ValueChanged, 0, true},
          PointerControl{"double_click_slider", DuiEvent::ValueChanged, 0, false},
          PointerControl{"pointer_precision_check", DuiEvent::SelectChanged, 1, false},
          PointerControl{"scrolls_page_check", DuiEvent::SelectChanged, 1, true},
          PointerControl{"scroll_speed_slider", DuiEvent::ValueChanged, 2, false}}) {
        const bool isOption = QString::fromLatin1(control.type) == select;
        table.Add(kSection, QString::fromLatin1(control.type), QString::fromLatin1(control.name),
                  DeviceNeed::Mouse,
                  onMouse([control, isOption](CCorvaneMouseDevice& mouse, RouteCall& call) {
                      const CControlUI sender(call.msg.pSender);
                      const int v = isOption ? (sender.IsSelected() ? 1 : 0) : sender.GetValue();
                      SetSettingHalf(mouse, control.word, control.high, v);
                      mouse.SaveProfile();
                  }));
    }
    // the settings tabs belong to the mouse page that holds them
    table.AddNumbered(kSection, select, QStringLiteral("mouse_device_seting_option_"),
                      DeviceNeed::Mouse, onMouse([](CCorvaneMouseDevice& mouse, RouteCall& call) {
                          if (CControlUI(call.msg.pSender).IsSelected())
                              mouse.SelectSettingsPage(call.number);
                      }));
    // the DPI calculator pair: the window keeps slider and box in step, no device involved
    table.AddNumbered(kSection, moving, QStringLiteral("zemra_DPI_slider_"), DeviceNeed::None,
                      [](RouteCall& call) {
                          QWidget* window = call.msg.pSender ? call.msg.pSender->window() : nullptr;
                          QWidget* edit =
                              window ? window->findChild<QWidget*>(
                                           QStringLiteral("zemra_DPI_edit_%1").arg(call.number))
                                     : nullptr;
                          if (edit)
                              CControlUI(edit).SetText(
                                  QString::asprintf("%d", CControlUI(call.msg.pSender).GetValue()));
                      });
    for (const QString& type : {leave, enter})
        table.AddNumbered(kSection, type, QStringLiteral("zemra_DPI_edit_"), DeviceNeed::None,
                          [](RouteCall& call) {
                              CControlUI edit(call.msg.pSender);
                              const int dpi = ClampCalculatorDpi(edit.GetText());
                              edit.SetText(QString::asprintf("%d", dpi));
                              QWidget* window = call.msg.pSender->window();
                              if (QWidget* slider = window->findChild<QWidget*>(
                                      QStringLiteral("zemra_DPI_slider_%1").arg(call.number)))
                                  CControlUI(slider).SetValue(dpi);
                          });
}

} // namespace vpc::panels
