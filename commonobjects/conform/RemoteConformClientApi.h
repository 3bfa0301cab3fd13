/* The binary interface of the remote conform client library, "XCIRemoteClient.dll"
 * ("libXCIRemoteClient.so" here), through which a conform is forwarded to the
 * picture-editing system so that the picture side conforms in step with the mix.
 *
 * The library is not part of this system: this header is what we call and what we rely on,
 * for whoever writes such a library (doc/remote-conform-client.md tells the whole story).
 * Every function has C linkage and is found by its name. Integers are 32-bit signed; text
 * goes in as C strings. `message` is a buffer of XCI_MESSAGE_BYTES bytes owned by the
 * caller, which the library may fill with zero-terminated text; the caller never reads it.
 * Calls come one at a time from any thread of the process (the caller serialises them),
 * and the library stays loaded from the first call to the last.
 * Plain C, so that the library may be written in C as well as C++.
 */
#ifndef COMMONOBJECTS_CONFORM_REMOTECONFORMCLIENTAPI_H
#define COMMONOBJECTS_CONFORM_REMOTECONFORMCLIENTAPI_H

#include <stdint.h>

#define XCI_MESSAGE_BYTES 1024

#ifdef __cplusplus
extern "C" {
#endif

/* Connects to the server and fills *client with the new client's handle, 0 when there is
 * none. The return value is kept but not interpreted. */
typedef int32_t (*PFN_XCI_CREATE_PROJECT_CLIENT)(int32_t* client, const char* serverName, char* message);
/* Ends a client made by fnCreateXCIProjectClient. */
typedef int32_t (*PFN_XCI_DESTROY_PROJECT_CLIENT)(int32_t client);
/* The console's sample rate in samples per second (48000 by default). */
typedef int32_t (*PFN_XCI_SET_SYSTEM_SAMPLE_RATE)(int32_t client, int32_t rate, char* message);
/* The picture rate: code 1 = 24, 2 = 25, 3 = 29.97, 4 = 30 frames per second, 0 = any
 * other rate (23.976 among them); dropFrame 1 for drop-frame timecode, else 0. */
typedef int32_t (*PFN_XCI_SET_SYSTEM_FRAME_RATE)(int32_t client, int32_t code, int32_t dropFrame, char* message);
/* Starts a new list of conform entries. */
typedef int32_t (*PFN_XCI_INITIATE_RECONFORM)(int32_t client);
/* One edit: the picture from sourceIn to sourceOut now lies from destIn to destOut; all in
 * whole frames from zero, each out exclusive (in + length). track is always -1 (all). */
typedef int32_t (*PFN_XCI_ADD_CONFORM_ENTRY)(int32_t client, int32_t track, int32_t sourceIn, int32_t sourceOut,
                                             int32_t destIn, int32_t destOut, char* message);
/* Conforms the picture to the entries added since fnInitiateReconform. */
typedef int32_t (*PFN_XCI_DO_THE_CONFORM)(int32_t client, char* message);
/* The other clients' create and destroy functions: looked up, never called. */
typedef int32_t (*PFN_XCI_OTHER_CLIENT)(void);

int32_t fnCreateXCIProjectClient(int32_t* client, const char* serverName, char* message);
int32_t fnDestroyXCIProjectClient(int32_t client);
int32_t fnSetSystemSampleRate(int32_t client, int32_t rate, char* message);
int32_t fnSetSystemFrameRate(int32_t client, int32_t code, int32_t dropFrame, char* message);
int32_t fnInitiateReconform(int32_t client);
int32_t fnAddConformEntry(int32_t client, int32_t track, int32_t sourceIn, int32_t sourceOut, int32_t destIn,
                          int32_t destOut, char* message);
int32_t fnDoTheConform(int32_t client, char* message);
int32_t fnCreateXCIControlClient(void);
int32_t fnDestroyXCIControlClient(void);
int32_t fnCreateXCIMeteringClient(void);
int32_t fnDestroyXCIMeteringClient(void);
int32_t fnCreateXCIThinEditClient(void);
int32_t fnDestroyXCIThinEditClient(void);
int32_t fnCreateXCIFullEditClient(void);

#ifdef __cplusplus
}
#endif

#endif /* COMMONOBJECTS_CONFORM_REMOTECONFORMCLIENTAPI_H */
