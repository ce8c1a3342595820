// The language tag of a Chinese text, as the script it is written in changes.

#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/convert/converter.h"

namespace tovenrak::core {

// The language tag (a lang attribute, a Content-Language) that names the
// same language once its text is converted as `how` says, or std::nullopt
// when `tag` stays as it is.
//
// Tags it knows, in any letter case, with '-' or '_': zh-CN, zh-SG, zh-MY,
// zh-Hans and zh-Hans-REGION are simplified; zh-TW, zh-HK, zh-MO, zh-Hant
// and zh-Hant-REGION are traditional. A tag already in the target script
// stays (so zh-SG stays zh-SG toward simplified, zh-HK stays zh-HK toward
// traditional); any other tag (zh, en, zh-yue-HK...) stays. The same holds
// for Mandarin named as cmn or zh-cmn (zh-cmn-Hans-CN). The other Chinese
// languages, alone or after zh (yue-Hant-HK, zh-yue-Hant), change their
// script subtag alone. A known tag in the other script becomes the target
// script's tag in the same shape:
//   region form   toward traditional: zh-TW (tw, twp), zh-HK (hk),
//                 zh-Hant (std, which follows no region);
//                 toward simplified: zh-CN, or zh-Hans for std.
//   zh-Hans/Hant  the other script subtag, no region added.
//   with region   zh-Hant-TW, zh-Hant-HK, zh-Hans-CN by the same variants,
//                 and the bare script subtag for std.
// Extensions and private use after a singleton subtag (zh-CN-u-co-pinyin,
// zh-CN-x-web) follow the tag as they were. The result is in lower case
// when `tag` was, upper case when `tag` was, and in the usual case (zh-TW,
// zh-Hant-HK) otherwise; white space around the tag is kept. A list
// separated by commas (a Content-Language of zh-CN, en) changes each tag.
std::optional<std::u32string> FollowScript(std::u32string_view tag,
                                           ScriptConversion how);

}  // namespace tovenrak::core
