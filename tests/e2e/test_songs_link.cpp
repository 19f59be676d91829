// The song maker and WAV reader of the player's tests, shared here.
#include "tests/platform/mediaplayer/test_songs.cpp"
