// Placeholder until the host layer lands.
