// Room for a whole document's bytes, made so that filling it is cheap, and
// given back behind a conversion that has read it.

#pragma once

#include <cstddef>
#include <string>

namespace tovenrak::core {

// A document of this many bytes or more is large.
inline constexpr size_t kLargeBytes = size_t{4} << 20;

// Reserves room for `size` bytes in `bytes`. Room of kLargeBytes or more is
// asked to be backed by huge pages where the system lets a program ask:
// filling it then takes one page fault for each 2 MiB rather than each
// 4 KiB, and on a large document those faults took a third of the run. The
// request is advice: where it is refused, the room is as reserve() gives it.
void ReserveLarge(std::string& bytes, size_t size);

// Reserves room in `out` for the conversion of a document of `input`
// bytes, `room` being what most documents need. A large one gets room for
// the most any document can need, four times its bytes (each character a
// reference, "&#22836;" for two bytes, or an escape), where the system
// grants that much: room is address space alone until it is written, and a
// text that outgrew its room would move to one twice as large, and be held
// twice meanwhile.
void ReserveOutput(std::string& out, size_t input, size_t room);

// Gives the memory under bytes[0, end) back to the system, in whole huge
// pages, those under bytes[0, given) having been given back before; returns
// how far it went (`given`, or more). What lies there reads as zeros
// afterwards, so only what nothing reads again may be given back. A
// conversion of a large document that gives its input back as it goes
// holds little more than its output.
size_t GiveBack(std::string& bytes, size_t given, size_t end);

}  // namespace tovenrak::core
