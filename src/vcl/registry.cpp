// registry
