# Writes a first settings file beside the program, naming a bundled skin, but
# only where none exists yet: a user's settings are never overwritten.
if(NOT EXISTS "${INI}")
  file(WRITE "${INI}" "[OcuralSetting]\r\nLastSkin=round.vsk\r\n")
endif()
