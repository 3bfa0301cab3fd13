// Status notifications from long operations to the host.
//
// Two routes, each a posted (never sent) message with wParam = code and lParam = param:
//  - event route: message "Automation Event Notication" to the endpoint of class
//    "TavmirStatusWindow"; when there is none, the needs-status route;
//  - needs-status route: message "Automation Needs Status" to the endpoint of class
//    "TavmirUniqueClass", or to every endpoint when there is none.
// Nothing waits for delivery and nothing fails.
//
// Codes: 0 compressed mix load start, 1 run copy (every 500th event), 2 and 27 state tracker,
// 15 load, 17 compressed mix load end, 19 isolate, 20 erase, 21 copy, 22 merge, 23 merge and
// erase, 26 package, 27/28 conform, 31 sort, 33/34 thinning.
#pragma once

#include <cstdint>

class CAutomationEventArray;

void PostEventNotification(uint32_t code, int32_t param);
void PostNeedsStatus(uint32_t code, int32_t param);
// Event route with param = done * 100 / total (truncating); total is at least 1.
void PostProgress(uint32_t code, int32_t done, int32_t total);
// Code 19 (isolate) / 20 (erase) with done * 100 / total, only while the array's status
// window is set.
void PostIsolateProgress(const CAutomationEventArray* array, int32_t done, int32_t total);
void PostEraseProgress(const CAutomationEventArray* array, int32_t done, int32_t total);
// A conform reaching item `index` (0-based) of `count`: code 28 with index + 1, then code 27
// with index * 100 / count, only while the array's status window is set.
void PostConformItem(const CAutomationEventArray* array, int32_t index, int32_t count);
