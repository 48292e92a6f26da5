#pragma once

class OptionReader;

// Finds, decodes and uploads the environment image and fixes the texture state.
void setUpEnvironmentTexture(OptionReader& options);
