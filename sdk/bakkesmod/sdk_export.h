// Symbol visibility for the host SDK.
//
// PLUGINSDK_API marks what the host's SDK library `pluginsdk` exports and a plug-in imports: the
// handle classes' operations. The library defines PLUGINSDK_BUILDING_LIBRARY while it compiles
// itself; a plug-in never does.
//
// PLUGIN_EXPORT marks what a plug-in module exports to the host: its description record, its
// factory and release function, and the plug-in base class compiled into it.
#pragma once

#if defined(_WIN32)
#  if defined(PLUGINSDK_BUILDING_LIBRARY)
#    define PLUGINSDK_API __declspec(dllexport)
#  else
#    define PLUGINSDK_API __declspec(dllimport)
#  endif
#  define PLUGIN_EXPORT __declspec(dllexport)
#else
#  define PLUGINSDK_API __attribute__((visibility("default")))
#  define PLUGIN_EXPORT __attribute__((visibility("default")))
#endif
