#pragma once
// Ids of launcher.exe's embedded resources; shared by the resource script and the code.
#define IDI_APPLICATION_ICON 101
#define IDR_BACKGROUND_JPEG 201
#define IDR_LOGO_PNG 202
#define IDR_FLAG_SPRITE_PNG 203
// The operator's public key, in keyed builds only; signed update documents are checked against it.
#define IDR_SIGNING_KEY 301
