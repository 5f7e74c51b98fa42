// layer
