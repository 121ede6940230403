# Identifier lists from outside: the one check and every folder method that
# takes a list, over a small shelf the target makes at start.
pellidor_add_fuzzer(idlist_fuzz IdListFuzz.cpp pellidor_product)
