-- Simple queue.
local Queue = {}
Queue.__index = Queue

--[[
  push appends, pop takes from the front.
]]
function Queue.new()
  return setmetatable({ first = 1, items = {} }, Queue)
end
