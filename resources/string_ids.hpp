#pragma once
// The ids of the string table (resources/strings_de.inc) by name. A format's id carries the
// arguments its text takes, checked against the table when the program is compiled.

#include "common/strings.hpp"

namespace tavrin::strings {

// Lines of the information texts (info tip, information page).
inline constexpr FormatId<int, int> kSizeLine{1210};
inline constexpr FormatId<const char*> kModelLine{1220};
inline constexpr FormatId<const char*> kDateLine{1230};
inline constexpr FormatId<const char*> kTypeLine{1240};
inline constexpr FormatId<const char*> kTypeAsideLine{1241};
inline constexpr FormatId<double> kFileSizeLine{1250};
inline constexpr FormatId<const char*> kIsoLine{1260};
inline constexpr FormatId<const char*> kExposureLine{1270};
inline constexpr FormatId<const char*> kApertureLine{1280};
inline constexpr FormatId<const char*> kFocalLengthLine{1290};
inline constexpr FormatId<const char*> kFocalLengthAsWrittenLine{1292};
inline constexpr FormatId<const char*> kFlashLine{1305};
inline constexpr FormatId<const char*> kWhiteBalanceLine{1310};

// Messages.
inline constexpr FormatId<const char*> kRenameFailed{9030};
inline constexpr unsigned kErrorCaption = 9040;
inline constexpr FormatId<const char*> kFolderUnreadable{10020};

}  // namespace tavrin::strings
