#pragma once
// The window's bundled resources (icons, logo, help document) live in a static
// library, so they are registered explicitly once before first use.
namespace typix {
void initUiResources();
}
