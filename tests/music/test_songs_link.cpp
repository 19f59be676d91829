// The song maker of the player's tests, shared here.
#include "tests/platform/mediaplayer/test_songs.cpp"
