#pragma once
// Ids of the launcher's non-string resources (strings: support/message_ids.h).

#define IDI_LAUNCHER 1
