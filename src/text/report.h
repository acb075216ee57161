// What the logic tells a window: a status message and its colour, a message
// box. The windows implement these interfaces; tests replace them with
// recorders, so no test ever blocks on a modal box. All texts are UTF-8.
#pragma once

#include <cstdint>
#include <string_view>

namespace varno {

struct Rgb {
  uint8_t r, g, b;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

namespace colors {
inline constexpr Rgb kLightYellow{255, 255, 128};  // accepted key, grid conversion
inline constexpr Rgb kDarkRed{192, 0, 0};          // rejected key, value out of range
inline constexpr Rgb kGreen{0, 255, 0};            // overflow in a computation
inline constexpr Rgb kLightGreen{192, 255, 192};   // main status at start, batch running
inline constexpr Rgb kLightCyan{192, 255, 255};    // file opened, batch finished
inline constexpr Rgb kLightRed{255, 128, 128};     // parameter file not readable
inline constexpr Rgb kLavender{192, 192, 255};     // batch dialog opened
inline constexpr Rgb kMagenta{255, 0, 255};        // no input file chosen
inline constexpr Rgb kDarkGreen{0, 128, 0};        // zone label text
inline constexpr Rgb kGrey{224, 224, 224};         // help window labels
}  // namespace colors

enum class MessageIcon { kNone, kInformation, kQuestion, kWarning, kCritical };

// Message boxes with the OK button only, or the Yes/No question.
class MessageService {
 public:
  virtual ~MessageService() = default;
  virtual void Show(std::string_view text, std::string_view title, MessageIcon icon) = 0;
  // Yes returns true. `defaultNo` makes No the default button.
  virtual bool AskYesNo(std::string_view text, std::string_view title, MessageIcon icon,
                        bool defaultNo) = 0;
};

// The main window's status label `lblStatus`. Each text replaces the whole
// caption; the colour is set separately, only where a step says so.
class StatusSink {
 public:
  virtual ~StatusSink() = default;
  virtual void SetStatusText(std::string_view text) = 0;
  virtual void SetStatusColor(Rgb color) = 0;
  // A text that stays valid as long as the program runs (a constant): a sink
  // that keeps texts may keep a view of it instead of a copy.
  virtual void SetLastingStatusText(std::string_view text) { SetStatusText(text); }
};

// What the computations of the main window and the batch runs report to.
struct Reporter {
  StatusSink& mainStatus;
  MessageService& messages;
};

}  // namespace varno
