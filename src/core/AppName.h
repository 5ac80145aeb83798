#pragma once

namespace lorik {

// Caption of the application's own messages.
inline constexpr wchar_t kAppName[] = L"Lorik";

}  // namespace lorik
