// The platform's window, bitmap and module handles, as the window classes hold them.
#pragma once

// The native handles behind a window and its bitmap, without the platform's headers.
#if defined(RT_BACKEND_WIN32)
struct HWND__;
struct HBITMAP__;
struct HINSTANCE__;
using WindowHandle = HWND__*;
using BitmapHandle = HBITMAP__*;
using InstanceHandle = HINSTANCE__*;
#else
struct SDL_Window;
struct SDL_Surface;
using WindowHandle = SDL_Window*;
using BitmapHandle = SDL_Surface*;
using InstanceHandle = void*;  // SDL has no module handle; it is passed along and unused
#endif
