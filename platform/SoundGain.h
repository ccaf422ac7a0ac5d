#pragma once
// Volumes are linear factors; the device hears their product to the power 4.

inline float SoundGain(float globalVolume, float ownVolume) {
    float product = globalVolume * ownVolume;
    float squared = product * product;
    return squared * squared;
}
