#include "commonobjects/platform/CriticalSection.h"

namespace commonobjects::platform {

void CriticalSection::Enter() { mutex_.lock(); }

void CriticalSection::Leave() { mutex_.unlock(); }

bool CriticalSection::TryEnter() { return mutex_.try_lock(); }

}  // namespace commonobjects::platform
