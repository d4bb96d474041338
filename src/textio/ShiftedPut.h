#pragma once
// The steps behind the shifted insertion window: the whole translation moves by a
// number of bytes, packed one string after another, and the GBA pointers follow it when
// the user asks.
#include <cstdint>
#include <optional>
#include <string_view>

#include "workspace/Workspace.h"

enum class PointerKind { Gba, Gb };

// "Вернуть текст перевода в ROM": records the pointers, packs the lines, inserts them
// moved by `shift`, and corrects the pointers of `kind` when `correctPointers` is set.
// Each step reports its own refusals; a refused step does not stop the next. Game Boy
// tables that cannot be used stop the run before anything moves.
void ShiftedPut(Workspace& ws, std::int32_t shift, bool correctPointers, PointerKind kind = PointerKind::Gba);

// What the shift field shows once a new address for the first line is typed: that
// address minus the first line's address now. Nothing when the first line has no space
// (the shift field then keeps what it shows). An empty or non-numeric address reads as 0.
std::optional<std::int64_t> ShiftForNewAddress(const Workspace& ws, std::string_view newAddress);
// Such a shift as the field shows it: its digits, or "вне диапазона" when an address
// past 32 bits went into it.
Text ShiftFieldText(std::int64_t shift);

// The shift as typed: decimal with an optional sign and fraction (rounded half away from
// zero), or "&H" and hexadecimal digits; spaces around it are ignored and an empty field
// is 0. Nothing when the text holds anything else or the number needs more than 32 bits.
std::optional<std::int32_t> ReadShiftField(std::string_view text);
