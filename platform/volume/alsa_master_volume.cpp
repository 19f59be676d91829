#include "platform/volume/alsa_master_volume.h"

#include <alsa/asoundlib.h>

#include <memory>
#include <string>

namespace platform {
namespace {

struct MixerClose {
  void operator()(snd_mixer_t* m) const { snd_mixer_close(m); }
};
struct SelemIdFree {
  void operator()(snd_mixer_selem_id_t* id) const { snd_mixer_selem_id_free(id); }
};

}  // namespace

bool SetAlsaMasterVolume(int percent) {
  // The hardware mixer of the first card, not "default": that may be a plug-in routed to a
  // sound server, which has already been tried.
  int card = -1;
  if (snd_card_next(&card) < 0 || card < 0) return false;
  const std::string device = "hw:" + std::to_string(card);

  snd_mixer_t* rawMixer = nullptr;
  if (snd_mixer_open(&rawMixer, 0) < 0 || rawMixer == nullptr) return false;
  std::unique_ptr<snd_mixer_t, MixerClose> mixer(rawMixer);
  if (snd_mixer_attach(rawMixer, device.c_str()) < 0) return false;
  if (snd_mixer_selem_register(rawMixer, nullptr, nullptr) < 0) return false;
  if (snd_mixer_load(rawMixer) < 0) return false;

  snd_mixer_selem_id_t* rawId = nullptr;
  if (snd_mixer_selem_id_malloc(&rawId) < 0 || rawId == nullptr) return false;
  std::unique_ptr<snd_mixer_selem_id_t, SelemIdFree> id(rawId);
  snd_mixer_selem_id_set_index(rawId, 0);
  snd_mixer_selem_id_set_name(rawId, "Master");
  snd_mixer_elem_t* master = snd_mixer_find_selem(rawMixer, rawId);
  if (master == nullptr || !snd_mixer_selem_has_playback_volume(master)) return false;

  long low = 0;
  long high = 0;
  if (snd_mixer_selem_get_playback_volume_range(master, &low, &high) < 0 || high < low)
    return false;
  const long value = low + (high - low) * percent / 100;
  return snd_mixer_selem_set_playback_volume_all(master, value) >= 0;
}

}  // namespace platform
