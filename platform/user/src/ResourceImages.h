#pragma once

namespace user {

// Makes LoadImageW and LoadBitmapW find the icons and bitmaps that modules
// register; done once, by the first registration.
void InstallResourceImageLoader();

} // namespace user
