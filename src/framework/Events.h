// Typed event callbacks. An unassigned event is an empty function and is skipped.
#pragma once

#include <cstdint>
#include <functional>

namespace fw {

class TObject;

using TNotifyEvent = std::function<void(TObject* Sender)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TEndSessionEvent = std::function<void(TObject* Sender, bool Ending)>;

// Shift state bits, bit 0 upwards.
enum TShiftBit : std::uint8_t {
    ssShift = 1 << 0, ssAlt = 1 << 1, ssCtrl = 1 << 2,
    ssLeft = 1 << 3, ssRight = 1 << 4, ssMiddle = 1 << 5,
};
using TShiftState = std::uint8_t;
using TKeyEvent = std::function<void(TObject* Sender, std::uint16_t& Key, TShiftState Shift)>;
// The whole UTF-16 code unit of the character typed, never cut to a byte: "č" (U+010D) cut
// would be Enter.
using TKeyPressEvent = std::function<void(TObject* Sender, char16_t& Key)>;

// Binds a handler method to its object: Bind(this, &TFormMain::cmdExit1Click).
template <class Obj, class Ret, class... Args>
std::function<Ret(Args...)> Bind(Obj* object, Ret (Obj::*method)(Args...)) {
    return [object, method](Args... args) -> Ret { return (object->*method)(std::forward<Args>(args)...); };
}

template <class Event, class... Args>
void Fire(const Event& event, Args&&... args) {
    if (event) event(std::forward<Args>(args)...);
}

}  // namespace fw
