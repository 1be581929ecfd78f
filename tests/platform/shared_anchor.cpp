// Nothing of its own: the library exists to carry the platform layer once.
