-- Run by check-lv2-in-ardour.sh with ardour7-lua: loads the LV2 plug-in into a new session on the
-- dummy engine and prints, after the engine has run, every control input as Ardour's generic
-- controls and automation lanes show it. Prints "controls read" at the end; any failure stops
-- before.
local folder = os.getenv("BRUMALUX_SESSION_FOLDER")
assert(AudioEngine:set_backend("None (Dummy)", "", "") ~= nil, "no dummy backend")
AudioEngine:start(false)
local session = create_session(folder, "lv2check", 48000)
assert(session ~= nil, "no session")
local tracks = session:new_midi_track(ARDOUR.ChanCount(ARDOUR.DataType("midi"), 1),
  ARDOUR.ChanCount(ARDOUR.DataType("audio"), 2), true, ARDOUR.PluginInfo(), nil, nil, 1, "organ",
  ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true, false)
local processor = ARDOUR.LuaAPI.new_plugin(session, "https://quellmark.music/plugins/brumalux",
  ARDOUR.PluginType.LV2, "")
assert(not processor:isnil(), "the plug-in is not found")
tracks:front():add_processor_by_index(processor, 0, nil, true)
for _ = 1, 20 do ARDOUR.LuaAPI.wait_for_process_callback(100, 1) end

local plugin = processor:to_insert():plugin(0)
local control = 0 -- Ardour numbers the control inputs from 0
for port = 0, plugin:parameter_count() - 1 do
  if plugin:parameter_is_control(port) and plugin:parameter_is_input(port) then
    local _, reply = plugin:get_parameter_descriptor(port, ARDOUR.ParameterDescriptor())
    local descriptor = reply[2]
    local value = ARDOUR.LuaAPI.get_processor_param(processor, control, true)
    local names = {}
    if descriptor.enumeration then
      for name, point in pairs(ARDOUR.LuaAPI.desc_scale_points(descriptor)) do
        names[#names + 1] = string.format("%g=%s", point, name)
      end
      table.sort(names)
    end
    print(string.format("control|%s|%.9g|%.9g|%.9g|%.9g|%s|%s|%s|%s", plugin:parameter_label(port), value,
      descriptor.normal, descriptor.lower, descriptor.upper, descriptor.print_fmt,
      tostring(descriptor.toggled), tostring(descriptor.integer_step), table.concat(names, ",")))
    control = control + 1
  end
end
close_session()
print("controls read")
