#pragma once

// The keyboard's Caps Lock toggle. On X11 it is read and switched through XKB;
// where the platform cannot switch the lock, the state is kept here so the
// status panel still follows the key.
namespace CapsLock {

// True when Caps Lock is on (as far as the platform tells).
bool isOn();
// Flips it as the Ctrl+T rule says: on -> off, otherwise -> on. Returns the new state.
bool toggle();

} // namespace CapsLock
