// wine prefixes
