// A library named like the decoder that exports only something else.
extern "C" __attribute__((visibility("default"))) int GB_NOT_DEC() {
  return 0;
}
