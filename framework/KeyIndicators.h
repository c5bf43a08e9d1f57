#pragma once

/// Whether the lock keys are on, for the status bar's key indicators.
bool IsCapsLockOn();
bool IsNumLockOn();
bool IsScrollLockOn();
