<?xml version="1.0" encoding="utf-8"?>
<!--
  morvex.xsl: turns a UML state machine exported as XMI into a QUARN
  state-machine file.

  Reads UML 2.x XMI (Eclipse UML2/Papyrus, Enterprise Architect, MagicDraw/
  Cameo, Visual Paradigm, Modelio, StarUML) and UML 1.x XMI (ArgoUML and
  other Novosoft/Netbeans writers) whatever the namespace versions: elements
  are recognised by local name and by the part of xmi:type after the colon,
  references are resolved by id, and tool extensions are never read.

  Relay convention: a relay is a region holding two states, its number comes
  from the region's name ("R3", "R3 pump", "Relay 3") or else from its states'
  names ("Roff3"/"Ron3", "R3 off"/"R3 on"), the off state is the one named off
  or else the target of the region's initial transition, and the guard of the
  transition from off to on is the relay's condition. Timers come from comment
  lines such as "T0 ON 07:30:00 OFF 22:00:00 Mo Tu We Th Fr".

  Everything that cannot be mapped is reported with xsl:message as
    <kind> "<name>" (id <id>) not mapped: <reason>
  (an unnamed region is named "with the states A, B"), "No relay was found
  in the model." coming first when no relay was mapped, and the
  transformation still succeeds. The output is the text of the file exactly
  as QuarnTool's writer lays it out. docs/converter.md describes the mapping
  for users.
-->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">

  <!-- The file is laid out here, byte for byte as QuarnTool's writer lays
       it out: a byte-order mark, CR LF line ends, one TAB per level, "&"
       written "&amp;" (and "<" "&lt;" in the version), timers and relays in
       index order. So the engine writes text, not a tree. -->
  <xsl:output method="text" encoding="utf-8"/>
  <xsl:strip-space elements="*"/>

  <!-- The destination's file name without its folder and last extension:
       the version of a model whose state machine has no name, as the
       writer names a document without a version. -->
  <xsl:param name="destination-name" select="''"/>
  <xsl:variable name="crlf" select="'&#13;&#10;'"/>

  <xsl:variable name="upper" select="'ABCDEFGHIJKLMNOPQRSTUVWXYZ'"/>
  <xsl:variable name="lower" select="'abcdefghijklmnopqrstuvwxyz'"/>
  <xsl:variable name="alnum" select="'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789_'"/>
  <!-- Days before each month in a common year, three digits each. -->
  <xsl:variable name="days-before" select="'000031059090120151181212243273304334'"/>
  <xsl:variable name="days-in" select="'312831303130313130313031'"/>

  <!-- Every model element outside tool extensions, by xmi:id or xmi.id. -->
  <xsl:key name="el"
           match="*[not(ancestor-or-self::*[local-name()='Extension' or local-name()='XMI.extension'])]"
           use="@*[local-name()='id' and namespace-uri()!=''] | @xmi.id"/>

  <!-- Transitions by the id of their source, wherever they are kept. -->
  <xsl:key name="from"
           match="*[(local-name()='transition' or local-name()='Transition'
                     or local-name()='Behavioral_Elements.State_Machines.Transition'
                     or substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='Transition')
                    and not(@xmi.idref) and not(@*[local-name()='idref'])
                    and not(ancestor::*[local-name()='Extension' or local-name()='XMI.extension'])]"
           use="@source | *[local-name()='source']/@*[local-name()='idref']
                | *[local-name()='Transition.source'
                    or local-name()='Behavioral_Elements.State_Machines.Transition.source']/*/@xmi.idref"/>

  <!-- Transitions by the id of their target. -->
  <xsl:key name="to"
           match="*[(local-name()='transition' or local-name()='Transition'
                     or local-name()='Behavioral_Elements.State_Machines.Transition'
                     or substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='Transition')
                    and not(@xmi.idref) and not(@*[local-name()='idref'])
                    and not(ancestor::*[local-name()='Extension' or local-name()='XMI.extension'])]"
           use="@target | *[local-name()='target']/@*[local-name()='idref']
                | *[local-name()='Transition.target'
                    or local-name()='Behavioral_Elements.State_Machines.Transition.target']/*/@xmi.idref"/>

  <!-- Vertices by the region that holds them: a UML 2 region, or a UML 1
       composite state, which plays the part of a region. -->
  <xsl:key name="in-region"
           match="*[local-name()='subvertex'
                    and not(ancestor::*[local-name()='Extension' or local-name()='XMI.extension'])]"
           use="generate-id(..)"/>
  <xsl:key name="in-region"
           match="*[not(@xmi.idref)][parent::*[local-name()='CompositeState.subvertex'
                    or local-name()='Behavioral_Elements.State_Machines.CompositeState.subvertex']]"
           use="generate-id(../..)"/>

  <xsl:variable name="machines"
                select="//*[(substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='StateMachine'
                             or substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='ProtocolStateMachine'
                             or local-name()='StateMachine' or local-name()='ProtocolStateMachine'
                             or local-name()='Behavioral_Elements.State_Machines.StateMachine')
                            and not(@xmi.idref) and not(@*[local-name()='idref'])
                            and not(ancestor::*[local-name()='Extension' or local-name()='XMI.extension'])]"/>

  <!-- The converted state machine: the first one with a relay, else the first. -->
  <xsl:variable name="machine-gid">
    <xsl:call-template name="choose-machine">
      <xsl:with-param name="index" select="1"/>
    </xsl:call-template>
  </xsl:variable>
  <xsl:variable name="machine" select="$machines[generate-id()=$machine-gid]"/>

  <!-- The relays of the converted machine, in document order:
       "{n}region;off;on;switch;condition" and a line feed per relay region, with generated
       ids. The first entry for a number is the one that counts. -->
  <xsl:variable name="relay-table">
    <xsl:for-each select="$machine">
      <xsl:for-each select="descendant::*[(local-name()='region' or local-name()='CompositeState'
                                           or local-name()='Behavioral_Elements.State_Machines.CompositeState')
                                          and not(@xmi.idref)
                                          and not(ancestor::*[local-name()='Extension' or local-name()='XMI.extension'])]">
        <xsl:variable name="analysis">
          <xsl:call-template name="analyse-region">
            <xsl:with-param name="region" select="."/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:if test="starts-with($analysis, 'ok;')">
          <xsl:variable name="rest" select="substring-after($analysis, 'ok;')"/>
          <xsl:value-of select="concat('{', substring-before($rest, ';'), '}', generate-id(), ';',
                                       substring-after($rest, ';'), '&#10;')"/>
        </xsl:if>
      </xsl:for-each>
    </xsl:for-each>
  </xsl:variable>

  <!-- Timer lines of all comments, in document order:
       "{n}" + comment id + TAB + line + LF, n as written after the T. -->
  <xsl:variable name="timer-lines">
    <xsl:for-each select="//*[(substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='Comment'
                               or local-name()='ownedComment' or local-name()='Comment'
                               or local-name()='Foundation.Core.Comment')
                              and not(@xmi.idref) and not(@*[local-name()='idref'])
                              and not(ancestor::*[local-name()='Extension' or local-name()='XMI.extension'])]">
      <xsl:variable name="id">
        <xsl:call-template name="id-of"/>
      </xsl:variable>
      <xsl:call-template name="collect-timer-lines">
        <xsl:with-param name="text" select="translate(concat(@body, *[local-name()='body'],
                                             *[local-name()='Comment.body' or local-name()='Foundation.Core.Comment.body'],
                                             @name[not(../@body)]), '&#13;', '&#10;')"/>
        <xsl:with-param name="id" select="$id"/>
      </xsl:call-template>
    </xsl:for-each>
  </xsl:variable>

  <!-- Where the first line for each timer T0-T7 starts in $timer-lines:
       "{n}offset;" for each n that has one. -->
  <xsl:variable name="first-timer-lines">
    <xsl:call-template name="first-timer-lines">
      <xsl:with-param name="lines" select="concat('&#10;', $timer-lines)"/>
      <xsl:with-param name="n" select="0"/>
    </xsl:call-template>
  </xsl:variable>

  <!-- ================================================================ -->

  <xsl:template match="/">
    <xsl:if test="$relay-table = ''">
      <xsl:message>No relay was found in the model.</xsl:message>
    </xsl:if>
    <xsl:variable name="name">
      <xsl:for-each select="$machine">
        <xsl:call-template name="name-of"/>
      </xsl:for-each>
    </xsl:variable>
    <!-- White space as the editor reads a version back: runs of spaces, tabs
         and line ends are one space, none at either end. So the file reads
         back into a model that the writer writes into the same bytes. -->
    <xsl:variable name="version">
      <xsl:choose>
        <xsl:when test="normalize-space($name) != ''">
          <xsl:value-of select="normalize-space($name)"/>
        </xsl:when>
        <xsl:otherwise>
          <xsl:value-of select="normalize-space($destination-name)"/>
        </xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:value-of select="concat('&#xFEFF;&lt;?xml version=&quot;1.0&quot; encoding=&quot;utf-8&quot;?&gt;', $crlf,
                                 '&lt;statemachine&gt;', $crlf, '&#9;&lt;version&gt;')"/>
    <xsl:call-template name="escape-text">
      <xsl:with-param name="text" select="$version"/>
    </xsl:call-template>
    <xsl:value-of select="concat('&lt;/version&gt;', $crlf)"/>
    <xsl:call-template name="timers">
      <xsl:with-param name="n" select="0"/>
    </xsl:call-template>
    <xsl:choose>
      <xsl:when test="$relay-table = ''">
        <xsl:value-of select="concat('&#9;&lt;parallel/&gt;', $crlf)"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="concat('&#9;&lt;parallel&gt;', $crlf)"/>
        <xsl:call-template name="relays">
          <xsl:with-param name="n" select="0"/>
        </xsl:call-template>
        <xsl:value-of select="concat('&#9;&lt;/parallel&gt;', $crlf)"/>
      </xsl:otherwise>
    </xsl:choose>
    <xsl:value-of select="concat('&lt;/statemachine&gt;', $crlf)"/>
    <xsl:call-template name="report"/>
  </xsl:template>

  <!-- A text as the writer stores it: "&" as "&amp;", "<" as "&lt;", each
       line end as CR LF. Long texts are halved, so nesting stays shallow. -->
  <xsl:template name="escape-text">
    <xsl:param name="text"/>
    <xsl:choose>
      <xsl:when test="not(contains($text, '&amp;') or contains($text, '&lt;') or contains($text, '&#10;'))">
        <xsl:value-of select="$text"/>
      </xsl:when>
      <xsl:when test="string-length($text) &gt; 64">
        <xsl:variable name="half" select="floor(string-length($text) div 2)"/>
        <xsl:call-template name="escape-text">
          <xsl:with-param name="text" select="substring($text, 1, $half)"/>
        </xsl:call-template>
        <xsl:call-template name="escape-text">
          <xsl:with-param name="text" select="substring($text, $half + 1)"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="c" select="substring($text, 1, 1)"/>
        <xsl:choose>
          <xsl:when test="$c = '&amp;'">&amp;amp;</xsl:when>
          <xsl:when test="$c = '&lt;'">&amp;lt;</xsl:when>
          <xsl:when test="$c = '&#10;'">
            <xsl:value-of select="$crlf"/>
          </xsl:when>
          <xsl:otherwise>
            <xsl:value-of select="$c"/>
          </xsl:otherwise>
        </xsl:choose>
        <xsl:call-template name="escape-text">
          <xsl:with-param name="text" select="substring($text, 2)"/>
        </xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- ===================== relays ===================== -->

  <xsl:template name="relays">
    <xsl:param name="n"/>
    <xsl:if test="$n &lt;= 7">
      <xsl:variable name="entry" select="substring-before(substring-after($relay-table, concat('{', $n, '}')), '&#10;')"/>
      <xsl:if test="$entry != ''">
        <xsl:variable name="region-gid" select="substring-before($entry, ';')"/>
        <xsl:variable name="e2" select="substring-after($entry, ';')"/>
        <xsl:variable name="off-gid" select="substring-before($e2, ';')"/>
        <xsl:variable name="e3" select="substring-after($e2, ';')"/>
        <xsl:variable name="on-gid" select="substring-before($e3, ';')"/>
        <xsl:variable name="e4" select="substring-after($e3, ';')"/>
        <xsl:variable name="switch-gid" select="substring-before($e4, ';')"/>
        <xsl:variable name="condition" select="substring-after($e4, ';')"/>
        <xsl:variable name="cond">
          <xsl:call-template name="escape-text">
            <xsl:with-param name="text" select="$condition"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:value-of select="concat(
            '&#9;&#9;&lt;state id=&quot;R', $n, '&quot; initial=&quot;Roff', $n, '&quot;&gt;', $crlf,
            '&#9;&#9;&#9;&lt;state id=&quot;Roff', $n, '&quot;&gt;', $crlf,
            '&#9;&#9;&#9;&#9;&lt;onentry&gt;', $crlf,
            '&#9;&#9;&#9;&#9;&#9;&lt;send type=&quot;relay&quot;&gt;', $crlf,
            '&#9;&#9;&#9;&#9;&#9;&#9;&lt;content&gt;F', $n, '&lt;/content&gt;', $crlf,
            '&#9;&#9;&#9;&#9;&#9;&lt;/send&gt;', $crlf,
            '&#9;&#9;&#9;&#9;&lt;/onentry&gt;', $crlf,
            '&#9;&#9;&#9;&#9;&lt;transition target=&quot;Ron', $n, '&quot; cond=&quot;', $cond, '&quot;&gt; &lt;/transition&gt;', $crlf,
            '&#9;&#9;&#9;&lt;/state&gt;', $crlf)"/>
        <xsl:value-of select="concat(
            '&#9;&#9;&#9;&lt;state id=&quot;Ron', $n, '&quot;&gt;', $crlf,
            '&#9;&#9;&#9;&#9;&lt;onentry&gt;', $crlf,
            '&#9;&#9;&#9;&#9;&#9;&lt;send type=&quot;relay&quot;&gt;', $crlf,
            '&#9;&#9;&#9;&#9;&#9;&#9;&lt;content&gt;N', $n, '&lt;/content&gt;', $crlf,
            '&#9;&#9;&#9;&#9;&#9;&lt;/send&gt;', $crlf,
            '&#9;&#9;&#9;&#9;&lt;/onentry&gt;', $crlf,
            '&#9;&#9;&#9;&#9;&lt;transition target=&quot;Roff', $n, '&quot; cond=&quot;!(', $cond, ')&quot;&gt; &lt;/transition&gt;', $crlf,
            '&#9;&#9;&#9;&lt;/state&gt;', $crlf,
            '&#9;&#9;&lt;/state&gt;', $crlf)"/>
        <xsl:call-template name="check-relay-transitions">
          <xsl:with-param name="n" select="$n"/>
          <xsl:with-param name="off" select="key('in-region', $region-gid)[generate-id()=$off-gid]"/>
          <xsl:with-param name="on" select="key('in-region', $region-gid)[generate-id()=$on-gid]"/>
          <xsl:with-param name="switch-gid" select="$switch-gid"/>
          <xsl:with-param name="condition" select="$condition"/>
          <xsl:with-param name="region-gid" select="$region-gid"/>
        </xsl:call-template>
      </xsl:if>
      <xsl:call-template name="relays">
        <xsl:with-param name="n" select="$n + 1"/>
      </xsl:call-template>
    </xsl:if>
  </xsl:template>

  <!-- Reports the transitions of a mapped relay that the file cannot hold:
       a guard back to off that is not the negation, and every other
       transition leaving the relay's two states. -->
  <xsl:template name="check-relay-transitions">
    <xsl:param name="n"/>
    <xsl:param name="off"/>
    <xsl:param name="on"/>
    <xsl:param name="switch-gid"/>
    <xsl:param name="condition"/>
    <xsl:param name="region-gid"/>
    <xsl:variable name="off-id" select="string(($off/@*[local-name()='id' and namespace-uri()!=''] | $off/@xmi.id)[1])"/>
    <xsl:variable name="on-id" select="string(($on/@*[local-name()='id' and namespace-uri()!=''] | $on/@xmi.id)[1])"/>
    <xsl:variable name="vertices" select="key('in-region', $region-gid)"/>
    <!-- The controller starts every relay in its off state, whatever the
         model's initial transition says. -->
    <xsl:for-each select="$vertices[(substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='Pseudostate'
                                     and (not(@kind) or @kind='initial'))
                                    or ((local-name()='Pseudostate'
                                         or local-name()='Behavioral_Elements.State_Machines.Pseudostate')
                                        and (@kind='initial' or *[@xmi.value='initial']))]">
      <xsl:for-each select="key('from', string((@*[local-name()='id' and namespace-uri()!=''] | @xmi.id)[1]))">
        <xsl:variable name="target">
          <xsl:call-template name="target-of"/>
        </xsl:variable>
        <xsl:if test="$target = $on-id">
          <xsl:variable name="off-name">
            <xsl:for-each select="$off">
              <xsl:call-template name="name-of"/>
            </xsl:for-each>
          </xsl:variable>
          <xsl:variable name="on-name">
            <xsl:for-each select="$on">
              <xsl:call-template name="name-of"/>
            </xsl:for-each>
          </xsl:variable>
          <xsl:call-template name="note">
            <xsl:with-param name="kind" select="'transition'"/>
            <xsl:with-param name="reason" select="concat('it leads to the on state &quot;', $on-name, '&quot; of relay R', $n,
                                                         ', but the controller starts every relay in its off state, here &quot;', $off-name, '&quot;')"/>
          </xsl:call-template>
        </xsl:if>
      </xsl:for-each>
    </xsl:for-each>
    <!-- Transitions that enter the relay's states from outside its region. -->
    <xsl:for-each select="key('to', $off-id) | key('to', $on-id)">
      <xsl:variable name="source">
        <xsl:call-template name="source-of"/>
      </xsl:variable>
      <xsl:if test="not($vertices[(@*[local-name()='id' and namespace-uri()!=''] | @xmi.id) = $source])">
        <xsl:variable name="target">
          <xsl:call-template name="target-of"/>
        </xsl:variable>
        <xsl:call-template name="note">
          <xsl:with-param name="kind" select="'transition'"/>
          <xsl:with-param name="reason" select="concat('relay R', $n, ' switches only from off to on on its condition and back; this transition entering its ',
                                                       substring('off', 1, 3 * number($target = $off-id)), substring('on', 1, 2 * number($target != $off-id)),
                                                       ' state from outside its region is left out')"/>
        </xsl:call-template>
      </xsl:if>
    </xsl:for-each>
    <xsl:for-each select="key('from', $off-id)[generate-id() != $switch-gid]">
      <xsl:call-template name="note">
        <xsl:with-param name="kind" select="'transition'"/>
        <xsl:with-param name="reason" select="concat('relay R', $n, ' switches only from off to on on its condition and back; this further transition leaving its off state is left out')"/>
      </xsl:call-template>
    </xsl:for-each>
    <xsl:for-each select="key('from', $on-id)">
      <xsl:variable name="target">
        <xsl:call-template name="target-of"/>
      </xsl:variable>
      <xsl:choose>
        <xsl:when test="$target = $off-id">
          <xsl:variable name="raw">
            <xsl:call-template name="guard-text">
              <xsl:with-param name="t" select="."/>
            </xsl:call-template>
          </xsl:variable>
          <xsl:variable name="scanned">
            <xsl:if test="string-length($raw) &lt;= 1000">
              <xsl:call-template name="scan-guard">
                <xsl:with-param name="s" select="$raw"/>
              </xsl:call-template>
            </xsl:if>
          </xsl:variable>
          <xsl:variable name="guard">
            <xsl:choose>
              <xsl:when test="starts-with($scanned, 'ok;')">
                <xsl:value-of select="substring($scanned, 4)"/>
              </xsl:when>
              <xsl:otherwise>
                <xsl:value-of select="$raw"/>
              </xsl:otherwise>
            </xsl:choose>
          </xsl:variable>
          <xsl:if test="$guard != '' and $guard != concat('!(', $condition, ')')
                        and not($guard = concat('!', $condition)
                                and translate($condition, '&amp;|!()', '') = $condition)
                        and $condition != concat('!(', $guard, ')')
                        and not($condition = concat('!', $guard)
                                and translate($guard, '&amp;|!()', '') = $guard)">
            <xsl:call-template name="note">
              <xsl:with-param name="kind" select="'transition'"/>
              <xsl:with-param name="reason" select="concat('its guard &quot;', $raw, '&quot; is not the negation of &quot;', $condition, '&quot;; relay R', $n, ' switches off on !(', $condition, ') instead')"/>
            </xsl:call-template>
          </xsl:if>
        </xsl:when>
        <xsl:otherwise>
          <xsl:call-template name="note">
            <xsl:with-param name="kind" select="'transition'"/>
            <xsl:with-param name="reason" select="concat('relay R', $n, ' switches only from off to on on its condition and back; this further transition leaving its on state is left out')"/>
          </xsl:call-template>
        </xsl:otherwise>
      </xsl:choose>
    </xsl:for-each>
  </xsl:template>

  <!-- Analyses one region (or UML 1 composite state). Returns
         "container"                 only composite states and no relay number:
                                     nothing to say, its inner regions count
         "no;<reason>"               not a relay
         "ok;n;off;on;switch;cond"   a relay (generated ids) -->
  <xsl:template name="analyse-region">
    <xsl:param name="region"/>
    <xsl:variable name="vertices" select="key('in-region', generate-id($region))"/>
    <xsl:variable name="states"
                  select="$vertices[substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='State'
                                    or local-name()='SimpleState' or local-name()='CompositeState'
                                    or local-name()='SubmachineState' or local-name()='State'
                                    or local-name()='Behavioral_Elements.State_Machines.SimpleState'
                                    or local-name()='Behavioral_Elements.State_Machines.CompositeState'
                                    or local-name()='Behavioral_Elements.State_Machines.SubmachineState'
                                    or local-name()='Behavioral_Elements.State_Machines.State']"/>
    <xsl:variable name="simple"
                  select="$states[not(*[local-name()='region']/*[local-name()='subvertex' and substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='State']
                                 or *[local-name()='CompositeState.subvertex'
                                      or local-name()='Behavioral_Elements.State_Machines.CompositeState.subvertex']/*[
                                        local-name()='SimpleState' or local-name()='CompositeState' or local-name()='SubmachineState'
                                        or local-name()='Behavioral_Elements.State_Machines.SimpleState'
                                        or local-name()='Behavioral_Elements.State_Machines.CompositeState'
                                        or local-name()='Behavioral_Elements.State_Machines.SubmachineState'
                                        or local-name()='Behavioral_Elements.State_Machines.State'])]"/>
    <xsl:variable name="region-name">
      <xsl:for-each select="$region">
        <xsl:call-template name="name-of"/>
      </xsl:for-each>
    </xsl:variable>
    <xsl:variable name="region-number">
      <xsl:call-template name="number-from-region-name">
        <xsl:with-param name="name" select="$region-name"/>
      </xsl:call-template>
    </xsl:variable>
    <xsl:variable name="state-numbers">
      <xsl:for-each select="$states">
        <xsl:call-template name="number-from-state-name"/>
      </xsl:for-each>
    </xsl:variable>
    <xsl:variable name="n">
      <xsl:choose>
        <xsl:when test="$region-number != ''">
          <xsl:value-of select="$region-number"/>
        </xsl:when>
        <xsl:otherwise>
          <xsl:value-of select="substring($state-numbers, 1, 1)"/>
        </xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:choose>
      <xsl:when test="not($simple) and $n = ''">container</xsl:when>
      <xsl:when test="$n = ''">no;neither its name nor its states' names give a relay number R0 to R7</xsl:when>
      <xsl:when test="$region-number = '' and translate($state-numbers, $n, '') != ''">no;its states' names give different relay numbers</xsl:when>
      <xsl:when test="count($states) &lt; 2">no;it holds only one state, a relay needs an off and an on state</xsl:when>
      <xsl:otherwise>
        <xsl:variable name="named-off">
          <xsl:for-each select="$states">
            <xsl:variable name="nn">
              <xsl:call-template name="plain-name"/>
            </xsl:variable>
            <xsl:if test="$nn = 'off' or $nn = concat('roff', $n) or $nn = concat('r', $n, 'off')">
              <xsl:value-of select="concat(generate-id(), ' ')"/>
            </xsl:if>
          </xsl:for-each>
        </xsl:variable>
        <xsl:variable name="initial-targets">
          <xsl:for-each select="$vertices[(substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='Pseudostate'
                                            and (not(@kind) or @kind='initial'))
                                           or ((local-name()='Pseudostate'
                                                or local-name()='Behavioral_Elements.State_Machines.Pseudostate')
                                               and (@kind='initial' or *[@xmi.value='initial']))]">
            <xsl:variable name="pid" select="string((@*[local-name()='id' and namespace-uri()!=''] | @xmi.id)[1])"/>
            <xsl:for-each select="key('from', $pid)">
              <xsl:variable name="target">
                <xsl:call-template name="target-of"/>
              </xsl:variable>
              <xsl:for-each select="$states[(@*[local-name()='id' and namespace-uri()!=''] | @xmi.id) = $target]">
                <xsl:value-of select="concat(generate-id(), ' ')"/>
              </xsl:for-each>
            </xsl:for-each>
          </xsl:for-each>
        </xsl:variable>
        <xsl:variable name="off-gid">
          <xsl:choose>
            <xsl:when test="$named-off != ''">
              <xsl:value-of select="substring-before($named-off, ' ')"/>
            </xsl:when>
            <xsl:otherwise>
              <xsl:value-of select="substring-before($initial-targets, ' ')"/>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:variable>
        <xsl:variable name="named-on">
          <xsl:for-each select="$states">
            <xsl:variable name="nn">
              <xsl:call-template name="plain-name"/>
            </xsl:variable>
            <xsl:if test="generate-id() != $off-gid
                          and ($nn = 'on' or $nn = concat('ron', $n) or $nn = concat('r', $n, 'on'))">
              <xsl:value-of select="concat(generate-id(), ' ')"/>
            </xsl:if>
          </xsl:for-each>
        </xsl:variable>
        <xsl:variable name="on-gid">
          <xsl:choose>
            <xsl:when test="count($states) = 2">
              <xsl:value-of select="generate-id($states[generate-id() != $off-gid])"/>
            </xsl:when>
            <xsl:otherwise>
              <xsl:value-of select="substring-before($named-on, ' ')"/>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:variable>
        <xsl:choose>
          <xsl:when test="substring-after($named-off, ' ') != ''">no;more than one of its states is named off</xsl:when>
          <xsl:when test="$off-gid = ''">no;none of its states is named off and no initial transition leads to one of them</xsl:when>
          <xsl:when test="$on-gid = ''">
            <xsl:value-of select="concat('no;it holds ', count($states), ' states and none of the others is named on')"/>
          </xsl:when>
          <xsl:when test="count($states) &gt; 2 and substring-after($named-on, ' ') != ''">no;more than one of its states is named on</xsl:when>
          <xsl:otherwise>
            <xsl:call-template name="analyse-switch">
              <xsl:with-param name="n" select="$n"/>
              <xsl:with-param name="off" select="$states[generate-id() = $off-gid]"/>
              <xsl:with-param name="on" select="$states[generate-id() = $on-gid]"/>
            </xsl:call-template>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Second half of the analysis: the transition from off to on and its guard. -->
  <xsl:template name="analyse-switch">
    <xsl:param name="n"/>
    <xsl:param name="off"/>
    <xsl:param name="on"/>
    <xsl:variable name="off-id" select="string(($off/@*[local-name()='id' and namespace-uri()!=''] | $off/@xmi.id)[1])"/>
    <xsl:variable name="on-id" select="string(($on/@*[local-name()='id' and namespace-uri()!=''] | $on/@xmi.id)[1])"/>
    <xsl:variable name="off-name">
      <xsl:for-each select="$off">
        <xsl:call-template name="name-of"/>
      </xsl:for-each>
    </xsl:variable>
    <xsl:variable name="on-name">
      <xsl:for-each select="$on">
        <xsl:call-template name="name-of"/>
      </xsl:for-each>
    </xsl:variable>
    <xsl:variable name="switch-gid">
      <xsl:for-each select="key('from', $off-id)">
        <xsl:variable name="target">
          <xsl:call-template name="target-of"/>
        </xsl:variable>
        <xsl:if test="$target = $on-id">
          <xsl:value-of select="concat(generate-id(), ' ')"/>
        </xsl:if>
      </xsl:for-each>
    </xsl:variable>
    <!-- Of several transitions from off to on, the first with a guard. -->
    <xsl:variable name="guarded-gid">
      <xsl:for-each select="key('from', $off-id)[contains($switch-gid, concat(generate-id(), ' '))]">
        <xsl:variable name="text">
          <xsl:call-template name="guard-text">
            <xsl:with-param name="t" select="."/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:if test="normalize-space($text) != ''">
          <xsl:value-of select="concat(generate-id(), ' ')"/>
        </xsl:if>
      </xsl:for-each>
    </xsl:variable>
    <xsl:variable name="switch"
                  select="key('from', $off-id)[generate-id() = substring-before(concat($guarded-gid, $switch-gid), ' ')]"/>
    <xsl:variable name="raw">
      <xsl:call-template name="guard-text">
        <xsl:with-param name="t" select="$switch"/>
      </xsl:call-template>
    </xsl:variable>
    <!-- A guard is looked at character by character, so overlong ones are
         turned away before. -->
    <xsl:variable name="scanned">
      <xsl:if test="string-length($raw) &lt;= 1000">
        <xsl:call-template name="scan-guard">
          <xsl:with-param name="s" select="$raw"/>
        </xsl:call-template>
      </xsl:if>
    </xsl:variable>
    <xsl:variable name="condition">
      <xsl:if test="starts-with($scanned, 'ok;')">
        <xsl:value-of select="substring($scanned, 4)"/>
      </xsl:if>
    </xsl:variable>
    <xsl:variable name="syntax-error">
      <xsl:if test="starts-with($scanned, 'x;')">
        <xsl:value-of select="substring($scanned, 3)"/>
      </xsl:if>
    </xsl:variable>
    <xsl:variable name="switch-id" select="string(($switch/@*[local-name()='id' and namespace-uri()!=''] | $switch/@xmi.id)[1])"/>
    <xsl:choose>
      <xsl:when test="not($switch)">
        <xsl:value-of select="concat('no;no transition leads from its off state &quot;', $off-name, '&quot; to its on state &quot;', $on-name, '&quot;')"/>
      </xsl:when>
      <xsl:when test="string-length($raw) &gt; 1000">
        <xsl:value-of select="concat('no;the guard of the transition (id ', $switch-id, ') from &quot;', $off-name, '&quot; to &quot;', $on-name, '&quot; is longer than 1000 characters')"/>
      </xsl:when>
      <xsl:when test="$condition = '' and $syntax-error = ''">
        <xsl:value-of select="concat('no;the transition (id ', $switch-id, ') from &quot;', $off-name, '&quot; to &quot;', $on-name, '&quot; has no guard')"/>
      </xsl:when>
      <xsl:when test="$syntax-error != ''">
        <xsl:value-of select="concat('no;the guard &quot;', $raw, '&quot; of the transition (id ', $switch-id, ') from &quot;', $off-name, '&quot; to &quot;', $on-name, '&quot; is not a controller condition: ', $syntax-error)"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="concat('ok;', $n, ';', generate-id($off), ';', generate-id($on), ';', generate-id($switch), ';', $condition)"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The relay number 0-7 in a region name: "R3", "R3 pump", "Relay 3". -->
  <xsl:template name="number-from-region-name">
    <xsl:param name="name"/>
    <xsl:variable name="s" select="normalize-space(translate($name, $upper, $lower))"/>
    <xsl:variable name="rest">
      <xsl:choose>
        <xsl:when test="starts-with($s, 'relay')">
          <xsl:value-of select="normalize-space(substring($s, 6))"/>
        </xsl:when>
        <xsl:when test="starts-with($s, 'r')">
          <xsl:value-of select="substring($s, 2)"/>
        </xsl:when>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="digit" select="substring($rest, 1, 1)"/>
    <xsl:if test="$digit != '' and contains('01234567', $digit)
                  and (substring($rest, 2, 1) = '' or not(contains($alnum, substring($rest, 2, 1))))">
      <xsl:value-of select="$digit"/>
    </xsl:if>
  </xsl:template>

  <!-- The relay number in the context state's name: "Roff3", "Ron3",
       "R3 off", "R3 on" (any case, spaces, "_" and "-" ignored). -->
  <xsl:template name="number-from-state-name">
    <xsl:variable name="nn">
      <xsl:call-template name="plain-name"/>
    </xsl:variable>
    <xsl:variable name="candidate">
      <xsl:choose>
        <xsl:when test="starts-with($nn, 'roff') and string-length($nn) = 5">
          <xsl:value-of select="substring($nn, 5, 1)"/>
        </xsl:when>
        <xsl:when test="starts-with($nn, 'ron') and string-length($nn) = 4">
          <xsl:value-of select="substring($nn, 4, 1)"/>
        </xsl:when>
        <xsl:when test="starts-with($nn, 'r') and substring($nn, 3) = 'off'">
          <xsl:value-of select="substring($nn, 2, 1)"/>
        </xsl:when>
        <xsl:when test="starts-with($nn, 'r') and substring($nn, 3) = 'on'">
          <xsl:value-of select="substring($nn, 2, 1)"/>
        </xsl:when>
      </xsl:choose>
    </xsl:variable>
    <xsl:if test="$candidate != '' and contains('01234567', $candidate)">
      <xsl:value-of select="$candidate"/>
    </xsl:if>
  </xsl:template>

  <!-- The context element's name in lower case without spaces, "_" and "-". -->
  <xsl:template name="plain-name">
    <xsl:variable name="name">
      <xsl:call-template name="name-of"/>
    </xsl:variable>
    <xsl:value-of select="translate(translate($name, $upper, $lower), ' _-&#9;', '')"/>
  </xsl:template>

  <!-- ===================== guards ===================== -->

  <!-- The guard text of transition t, in whichever form the tool wrote it. -->
  <xsl:template name="guard-text">
    <xsl:param name="t"/>
    <xsl:variable name="g"
                  select="(key('el', string($t/@guard))
                           | $t[not(@guard)]/*[local-name()='guard']
                           | $t/*[local-name()='Transition.guard'
                                  or local-name()='Behavioral_Elements.State_Machines.Transition.guard']/*)[1]"/>
    <!-- The guard constraint's expression: a child element, or an attribute in some tools. -->
    <xsl:variable name="expression" select="$g/*[local-name()='specification']"/>
    <xsl:choose>
      <xsl:when test="normalize-space($expression/*[local-name()='body'])">
        <xsl:value-of select="$expression/*[local-name()='body']"/>
      </xsl:when>
      <xsl:when test="normalize-space($expression/@body)">
        <xsl:value-of select="$expression/@body"/>
      </xsl:when>
      <xsl:when test="normalize-space($g/@specification)">
        <xsl:value-of select="$g/@specification"/>
      </xsl:when>
      <xsl:when test="normalize-space($expression/@value)">
        <xsl:value-of select="$expression/@value"/>
      </xsl:when>
      <xsl:when test="normalize-space($g//*[local-name()='BooleanExpression'
                                            or local-name()='Foundation.Data_Types.BooleanExpression']/@body)">
        <xsl:value-of select="$g//*[local-name()='BooleanExpression'
                                    or local-name()='Foundation.Data_Types.BooleanExpression']/@body"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="$g//*[local-name()='Expression.body'
                                    or local-name()='Foundation.Data_Types.Expression.body']"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Reads a guard in the controller's condition language:
         expr  := and ("||" and)*
         and   := unary ("&&" unary)*
         unary := "!" unary | "(" expr ")" | term
         term  := "#T"d | "#R"d | "#S"d | "#0" | "#1" | "0" | "1"
       with d 0-7 (0-3 for S), white space between the tokens, and two
       conveniences of the modelling tools: a guard in brackets ([T0]) and
       T0-T7, R0-R7, S0-S3 written without "#". Returns "ok;" and the
       condition as the file holds it (no white space, "#" before every
       input), or "x;" and what is wrong, with its character position in the
       guard as written (the first is 1).
       pos: position of s in the guard; operand: an operand, "!" or "("
       comes next; opens: the positions of the "(" not yet closed, the
       innermost first, each followed by ","; bracket: position of an
       opening "[", or 0. -->
  <xsl:template name="scan-guard">
    <xsl:param name="s"/>
    <xsl:param name="pos" select="1"/>
    <xsl:param name="out" select="''"/>
    <xsl:param name="operand" select="true()"/>
    <xsl:param name="opens" select="''"/>
    <xsl:param name="bracket" select="0"/>
    <xsl:variable name="c" select="substring($s, 1, 1)"/>
    <xsl:variable name="next" select="substring($s, 2, 1)"/>
    <xsl:choose>
      <xsl:when test="$s = ''">
        <xsl:choose>
          <xsl:when test="$bracket != 0">
            <xsl:value-of select="concat('x;the &quot;[&quot; at character ', $bracket, ' is not closed')"/>
          </xsl:when>
          <xsl:when test="$out = ''">ok;</xsl:when>
          <xsl:when test="$operand">
            <xsl:value-of select="concat('x;it ends at character ', $pos, ' where an input, &quot;!&quot; or &quot;(&quot; should follow')"/>
          </xsl:when>
          <xsl:when test="$opens != ''">
            <xsl:value-of select="concat('x;the &quot;(&quot; at character ', substring-before($opens, ','), ' is not closed')"/>
          </xsl:when>
          <xsl:otherwise>
            <xsl:value-of select="concat('ok;', $out)"/>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <xsl:when test="contains(' &#9;&#10;&#13;', $c)">
        <xsl:call-template name="scan-guard">
          <xsl:with-param name="s" select="substring($s, 2)"/>
          <xsl:with-param name="pos" select="$pos + 1"/>
          <xsl:with-param name="out" select="$out"/>
          <xsl:with-param name="operand" select="$operand"/>
          <xsl:with-param name="opens" select="$opens"/>
          <xsl:with-param name="bracket" select="$bracket"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="$c = '[' and $out = '' and $bracket = 0">
        <xsl:call-template name="scan-guard">
          <xsl:with-param name="s" select="substring($s, 2)"/>
          <xsl:with-param name="pos" select="$pos + 1"/>
          <xsl:with-param name="bracket" select="$pos"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="$c = ']' and $bracket != 0 and normalize-space(substring($s, 2)) = ''">
        <xsl:call-template name="scan-guard">
          <xsl:with-param name="s" select="''"/>
          <xsl:with-param name="pos" select="$pos + 1"/>
          <xsl:with-param name="out" select="$out"/>
          <xsl:with-param name="operand" select="$operand"/>
          <xsl:with-param name="opens" select="$opens"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="$operand and ($c = '!' or $c = '(')">
        <xsl:call-template name="scan-guard">
          <xsl:with-param name="s" select="substring($s, 2)"/>
          <xsl:with-param name="pos" select="$pos + 1"/>
          <xsl:with-param name="out" select="concat($out, $c)"/>
          <xsl:with-param name="opens">
            <xsl:choose>
              <xsl:when test="$c = '('">
                <xsl:value-of select="concat($pos, ',', $opens)"/>
              </xsl:when>
              <xsl:otherwise>
                <xsl:value-of select="$opens"/>
              </xsl:otherwise>
            </xsl:choose>
          </xsl:with-param>
          <xsl:with-param name="bracket" select="$bracket"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="$operand">
        <!-- A term: "#" and the input, a bare input, or a constant. -->
        <xsl:variable name="hash" select="number($c = '#')"/>
        <xsl:variable name="letter" select="substring($s, 1 + $hash, 1)"/>
        <xsl:variable name="lettered" select="number($letter = 'T' or $letter = 'R' or $letter = 'S')"/>
        <xsl:variable name="from" select="substring($s, 1 + $hash + $lettered)"/>
        <xsl:variable name="non-digit" select="substring(translate($from, '0123456789', ''), 1, 1)"/>
        <xsl:variable name="digits">
          <xsl:choose>
            <xsl:when test="$non-digit = ''">
              <xsl:value-of select="$from"/>
            </xsl:when>
            <xsl:otherwise>
              <xsl:value-of select="substring-before($from, $non-digit)"/>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:variable>
        <xsl:variable name="word">
          <xsl:variable name="w" select="substring($s, 1 + $hash)"/>
          <xsl:variable name="stop" select="substring(translate($w, $alnum, ''), 1, 1)"/>
          <xsl:value-of select="substring('#', 1, $hash)"/>
          <xsl:choose>
            <xsl:when test="$stop = ''">
              <xsl:value-of select="$w"/>
            </xsl:when>
            <xsl:otherwise>
              <xsl:value-of select="substring-before($w, $stop)"/>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:variable>
        <xsl:variable name="valid"
                      select="string-length($digits) = 1
                              and (($letter = 'T' or $letter = 'R') and contains('01234567', $digits)
                                   or $letter = 'S' and contains('0123', $digits)
                                   or $lettered = 0 and contains('01', $digits))
                              and ($hash = 1 or $lettered = 1 or $c = $digits)"/>
        <xsl:variable name="length" select="$hash + $lettered + string-length($digits)"/>
        <xsl:choose>
          <xsl:when test="$valid">
            <xsl:call-template name="scan-guard">
              <xsl:with-param name="s" select="substring($s, 1 + $length)"/>
              <xsl:with-param name="pos" select="$pos + $length"/>
              <xsl:with-param name="out" select="concat($out, substring('#', 1, number($lettered = 1 or $hash = 1)), substring($letter, 1, $lettered), $digits)"/>
              <xsl:with-param name="operand" select="false()"/>
              <xsl:with-param name="opens" select="$opens"/>
              <xsl:with-param name="bracket" select="$bracket"/>
            </xsl:call-template>
          </xsl:when>
          <xsl:when test="$word != '' and $word != '#'">
            <xsl:value-of select="concat('x;&quot;', $word, '&quot; at character ', $pos,
                                         ' is not an input of the controller (#T0-#T7, #R0-#R7, #S0-#S3, #0, #1, 0, 1)')"/>
          </xsl:when>
          <xsl:otherwise>
            <xsl:value-of select="concat('x;&quot;', $c, '&quot; at character ', $pos,
                                         ' where an input, &quot;!&quot; or &quot;(&quot; should follow')"/>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <xsl:when test="$c = ')' and $opens = ''">
        <xsl:value-of select="concat('x;the &quot;)&quot; at character ', $pos, ' closes no &quot;(&quot;')"/>
      </xsl:when>
      <xsl:when test="$c = ')'">
        <xsl:call-template name="scan-guard">
          <xsl:with-param name="s" select="substring($s, 2)"/>
          <xsl:with-param name="pos" select="$pos + 1"/>
          <xsl:with-param name="out" select="concat($out, ')')"/>
          <xsl:with-param name="operand" select="false()"/>
          <xsl:with-param name="opens" select="substring-after($opens, ',')"/>
          <xsl:with-param name="bracket" select="$bracket"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="substring($s, 1, 2) = '&amp;&amp;' or substring($s, 1, 2) = '||'">
        <xsl:call-template name="scan-guard">
          <xsl:with-param name="s" select="substring($s, 3)"/>
          <xsl:with-param name="pos" select="$pos + 2"/>
          <xsl:with-param name="out" select="concat($out, substring($s, 1, 2))"/>
          <xsl:with-param name="opens" select="$opens"/>
          <xsl:with-param name="bracket" select="$bracket"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="$c = '&amp;' or $c = '|'">
        <xsl:value-of select="concat('x;a single &quot;', $c, '&quot; at character ', $pos, ' (the operators are &amp;&amp; and ||)')"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="concat('x;&quot;', substring($s, 1, 12), '&quot; at character ', $pos,
                                     ' where &amp;&amp;, || or &quot;)&quot; should follow')"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- ===================== timers ===================== -->

  <!-- The timer lines of a comment's text (whole lines, LF between them).
       A long text is cut in two at a line end near its middle and each half
       is read on its own, so the templates nest about twice the logarithm
       of the text's length deep, whatever its size and line lengths. -->
  <xsl:template name="collect-timer-lines">
    <xsl:param name="text"/>
    <xsl:param name="id"/>
    <xsl:variable name="length" select="string-length($text)"/>
    <xsl:variable name="half" select="floor($length div 2)"/>
    <xsl:variable name="second" select="substring($text, $half + 1)"/>
    <xsl:choose>
      <!-- No timer line without a T: blank stretches cost nothing. -->
      <xsl:when test="not(contains($text, 'T')) and not(contains($text, 't'))"/>
      <xsl:when test="$length &lt;= 256 or not(contains($text, '&#10;'))">
        <xsl:call-template name="collect-short-text">
          <xsl:with-param name="text" select="$text"/>
          <xsl:with-param name="id" select="$id"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="contains($second, '&#10;')">
        <!-- Cut at the first line end of the second half. -->
        <xsl:call-template name="collect-timer-lines">
          <xsl:with-param name="text" select="concat(substring($text, 1, $half), substring-before($second, '&#10;'))"/>
          <xsl:with-param name="id" select="$id"/>
        </xsl:call-template>
        <xsl:call-template name="collect-timer-lines">
          <xsl:with-param name="text" select="substring-after($second, '&#10;')"/>
          <xsl:with-param name="id" select="$id"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <!-- The last line starts in the first half: the lines before it,
             then it alone. -->
        <xsl:variable name="first" select="substring($text, 1, $half)"/>
        <xsl:variable name="tail">
          <xsl:call-template name="after-last-line-end">
            <xsl:with-param name="text" select="$first"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:call-template name="collect-timer-lines">
          <xsl:with-param name="text" select="substring($first, 1, $half - string-length($tail) - 1)"/>
          <xsl:with-param name="id" select="$id"/>
        </xsl:call-template>
        <xsl:call-template name="collect-short-text">
          <xsl:with-param name="text" select="concat($tail, $second)"/>
          <xsl:with-param name="id" select="$id"/>
        </xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- What follows the last LF of text (all of it when it has none), found
       by halving. -->
  <xsl:template name="after-last-line-end">
    <xsl:param name="text"/>
    <xsl:variable name="half" select="floor(string-length($text) div 2)"/>
    <xsl:variable name="second" select="substring($text, $half + 1)"/>
    <xsl:choose>
      <xsl:when test="not(contains($text, '&#10;'))">
        <xsl:value-of select="$text"/>
      </xsl:when>
      <xsl:when test="string-length($text) &lt;= 64">
        <xsl:call-template name="after-last-line-end">
          <xsl:with-param name="text" select="substring-after($text, '&#10;')"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:when test="contains($second, '&#10;')">
        <xsl:call-template name="after-last-line-end">
          <xsl:with-param name="text" select="$second"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <xsl:call-template name="after-last-line-end">
          <xsl:with-param name="text" select="substring($text, 1, $half)"/>
        </xsl:call-template>
        <xsl:value-of select="$second"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- A few lines at most (256 characters, or one line): one entry per
       timer line. A timer line starts with the timer (T0, #T0 or T0:)
       followed by ON or OFF somewhere; lines are cut to 200 characters,
       far more than any timer line needs. -->
  <xsl:template name="collect-short-text">
    <xsl:param name="text"/>
    <xsl:param name="id"/>
    <xsl:if test="$text != ''">
      <xsl:variable name="whole">
        <xsl:choose>
          <xsl:when test="contains($text, '&#10;')">
            <xsl:value-of select="substring-before($text, '&#10;')"/>
          </xsl:when>
          <xsl:otherwise>
            <xsl:value-of select="$text"/>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:variable>
      <xsl:variable name="line" select="normalize-space(translate(substring($whole, 1, 400), '{}', '()'))"/>
      <xsl:variable name="first" select="translate(substring-before(concat($line, ' '), ' '), $lower, $upper)"/>
      <xsl:variable name="word">
        <xsl:choose>
          <xsl:when test="substring($first, string-length($first)) = ':'">
            <xsl:value-of select="substring($first, 1, string-length($first) - 1)"/>
          </xsl:when>
          <xsl:otherwise>
            <xsl:value-of select="$first"/>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:variable>
      <xsl:variable name="index">
        <xsl:choose>
          <xsl:when test="starts-with($word, '#T')">
            <xsl:value-of select="substring($word, 3)"/>
          </xsl:when>
          <xsl:when test="starts-with($word, 'T')">
            <xsl:value-of select="substring($word, 2)"/>
          </xsl:when>
        </xsl:choose>
      </xsl:variable>
      <xsl:variable name="spaced" select="concat(' ', translate($line, $lower, $upper), ' ')"/>
      <xsl:if test="$index != '' and string-length($index) &lt;= 3 and translate($index, '0123456789', '') = ''
                    and (contains($spaced, ' OFF ') or contains($spaced, ' ON '))">
        <xsl:variable name="shown">
          <xsl:choose>
            <xsl:when test="string-length($line) &gt; 200">
              <xsl:value-of select="concat(substring($line, 1, 200), '...')"/>
            </xsl:when>
            <xsl:otherwise>
              <xsl:value-of select="$line"/>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:variable>
        <xsl:value-of select="concat('{', $index, '}', translate($id, '&#9;&#10;{}', '  ()'), '&#9;', $shown, '&#10;')"/>
      </xsl:if>
      <xsl:call-template name="collect-short-text">
        <xsl:with-param name="text" select="substring-after($text, '&#10;')"/>
        <xsl:with-param name="id" select="$id"/>
      </xsl:call-template>
    </xsl:if>
  </xsl:template>

  <!-- Writes the timer elements in index order; the first line for an index counts. -->
  <xsl:template name="timers">
    <xsl:param name="n"/>
    <xsl:if test="$n &lt;= 7">
      <xsl:variable name="entry" select="substring-before(substring-after(concat('&#10;', $timer-lines), concat('&#10;{', $n, '}')), '&#10;')"/>
      <xsl:if test="$entry != ''">
        <xsl:variable name="line" select="substring-after($entry, '&#9;')"/>
        <xsl:variable name="parsed">
          <xsl:call-template name="parse-timer">
            <xsl:with-param name="tokens" select="concat(substring-after($line, ' '), ' ')"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:if test="starts-with($parsed, 'ok;')">
          <xsl:variable name="p2" select="substring-after($parsed, 'ok;')"/>
          <xsl:variable name="p3" select="substring-after($p2, ';')"/>
          <xsl:value-of select="concat('&#9;&lt;timer id=&quot;', $n, '&quot; start=&quot;', substring-before($p2, ';'),
                                       '&quot; end=&quot;', substring-before($p3, ';'),
                                       '&quot; dow=&quot;', substring-after($p3, ';'), '&quot;&gt; &lt;/timer&gt;', $crlf)"/>
        </xsl:if>
      </xsl:if>
      <xsl:call-template name="timers">
        <xsl:with-param name="n" select="$n + 1"/>
      </xsl:call-template>
    </xsl:if>
  </xsl:template>

  <xsl:template name="first-timer-lines">
    <xsl:param name="lines"/>
    <xsl:param name="n"/>
    <xsl:if test="$n &lt;= 7">
      <xsl:if test="contains($lines, concat('&#10;{', $n, '}'))">
        <xsl:value-of select="concat('{', $n, '}', string-length(substring-before($lines, concat('&#10;{', $n, '}'))), ';')"/>
      </xsl:if>
      <xsl:call-template name="first-timer-lines">
        <xsl:with-param name="lines" select="$lines"/>
        <xsl:with-param name="n" select="$n + 1"/>
      </xsl:call-template>
    </xsl:if>
  </xsl:template>

  <!-- Reports every timer line that gives no timer element. The entries
       are halved like comment texts (each is at most a few hundred
       characters); offset is where rest starts in $timer-lines, which tells
       whether an entry is the first for its timer. -->
  <xsl:template name="report-timer-lines">
    <xsl:param name="rest" select="$timer-lines"/>
    <xsl:param name="offset" select="0"/>
    <xsl:variable name="length" select="string-length($rest)"/>
    <xsl:variable name="half" select="floor($length div 2)"/>
    <xsl:variable name="second" select="substring($rest, $half + 1)"/>
    <xsl:choose>
      <xsl:when test="$rest = ''"/>
      <xsl:when test="$length &gt; 1024 and contains($second, '&#10;')">
        <xsl:variable name="left" select="concat(substring($rest, 1, $half), substring-before($second, '&#10;'), '&#10;')"/>
        <xsl:call-template name="report-timer-lines">
          <xsl:with-param name="rest" select="$left"/>
          <xsl:with-param name="offset" select="$offset"/>
        </xsl:call-template>
        <xsl:call-template name="report-timer-lines">
          <xsl:with-param name="rest" select="substring-after($second, '&#10;')"/>
          <xsl:with-param name="offset" select="$offset + string-length($left)"/>
        </xsl:call-template>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="entry" select="substring-before($rest, '&#10;')"/>
        <xsl:variable name="index" select="substring-before(substring-after($entry, '{'), '}')"/>
        <xsl:variable name="id" select="substring-before(substring-after($entry, '}'), '&#9;')"/>
        <xsl:variable name="line" select="substring-after($entry, '&#9;')"/>
        <xsl:variable name="first-offset"
                      select="substring-before(substring-after($first-timer-lines, concat('{', $index, '}')), ';')"/>
        <xsl:variable name="parsed">
          <xsl:call-template name="parse-timer">
            <xsl:with-param name="tokens" select="concat(substring-after($line, ' '), ' ')"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:variable name="reason">
          <xsl:choose>
            <xsl:when test="string-length($index) != 1 or not(contains('01234567', $index))">there is no timer T<xsl:value-of select="$index"/>, only T0 to T7</xsl:when>
            <xsl:when test="$first-offset != $offset">an earlier line already gives timer T<xsl:value-of select="$index"/></xsl:when>
            <xsl:when test="not(starts-with($parsed, 'ok;'))">
              <xsl:value-of select="$parsed"/>
            </xsl:when>
          </xsl:choose>
        </xsl:variable>
        <xsl:if test="$reason != ''">
          <xsl:message>
            <xsl:value-of select="concat('timer line &quot;', $line, '&quot; (id ', $id, ') not mapped: ', $reason)"/>
          </xsl:message>
        </xsl:if>
        <xsl:call-template name="report-timer-lines">
          <xsl:with-param name="rest" select="substring-after($rest, '&#10;')"/>
          <xsl:with-param name="offset" select="$offset + string-length($entry) + 1"/>
        </xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- Parses what follows "Tn": [ON [date] time] OFF [date] time [weekdays].
       Tokens end with a space. Returns "ok;start;end;dow" or a reason. -->
  <xsl:template name="parse-timer">
    <xsl:param name="tokens"/>
    <xsl:variable name="first" select="translate(substring-before($tokens, ' '), $lower, $upper)"/>
    <xsl:variable name="start">
      <xsl:choose>
        <xsl:when test="$first = 'ON'">
          <xsl:call-template name="parse-point">
            <xsl:with-param name="tokens" select="substring-after($tokens, ' ')"/>
          </xsl:call-template>
        </xsl:when>
        <xsl:when test="$first = 'OFF'">0;T;<xsl:value-of select="$tokens"/></xsl:when>
        <xsl:otherwise>x;it should go on with ON or OFF</xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="after-start" select="substring-after(substring-after($start, ';'), ';')"/>
    <xsl:choose>
      <xsl:when test="starts-with($start, 'x;')">
        <xsl:value-of select="substring-after($start, ';')"/>
      </xsl:when>
      <xsl:when test="normalize-space($after-start) = ''">
        <xsl:value-of select="'it has no OFF time, and the controller keeps a timer only with one'"/>
      </xsl:when>
      <xsl:when test="translate(substring-before($after-start, ' '), $lower, $upper) != 'OFF'">
        <xsl:value-of select="'OFF should follow the ON time'"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="end">
          <xsl:call-template name="parse-point">
            <xsl:with-param name="tokens" select="substring-after($after-start, ' ')"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:choose>
          <xsl:when test="starts-with($end, 'x;')">
            <xsl:value-of select="substring-after($end, ';')"/>
          </xsl:when>
          <xsl:when test="substring-before(substring-after($start, ';'), ';')
                          != substring-before(substring-after($end, ';'), ';')">
            <xsl:value-of select="'ON and OFF need a date both or neither'"/>
          </xsl:when>
          <xsl:otherwise>
            <xsl:variable name="dow">
              <xsl:call-template name="weekday-mask">
                <xsl:with-param name="tokens" select="concat(normalize-space(translate(substring-after(substring-after($end, ';'), ';'), ',', ' ')), ' ')"/>
              </xsl:call-template>
            </xsl:variable>
            <xsl:choose>
              <xsl:when test="starts-with($dow, 'x;')">
                <xsl:value-of select="substring-after($dow, ';')"/>
              </xsl:when>
              <xsl:otherwise>
                <xsl:value-of select="concat('ok;', substring-before($start, ';'), ';', substring-before($end, ';'), ';', $dow)"/>
              </xsl:otherwise>
            </xsl:choose>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- "[date] time rest" -> "value;D;rest" (with a date) or "value;T;rest"
       (a bare time), or "x;reason". The value is the seconds since
       2000-01-01 00:00:00. -->
  <xsl:template name="parse-point">
    <xsl:param name="tokens"/>
    <xsl:variable name="t1" select="substring-before($tokens, ' ')"/>
    <xsl:choose>
      <xsl:when test="contains($t1, '/') or contains($t1, '-')">
        <xsl:variable name="days">
          <xsl:call-template name="date-days">
            <xsl:with-param name="date" select="translate($t1, '-', '/')"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:variable name="t2" select="substring-before(substring-after($tokens, ' '), ' ')"/>
        <xsl:variable name="seconds">
          <xsl:call-template name="time-seconds">
            <xsl:with-param name="time" select="$t2"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:choose>
          <xsl:when test="$days = 'x'">
            <xsl:value-of select="concat('x;&quot;', $t1, '&quot; is not a date from 2001/01/01 to 2099/12/31')"/>
          </xsl:when>
          <xsl:when test="$seconds = 'x'">
            <xsl:value-of select="concat('x;&quot;', $t2, '&quot; is not a time of day hh:mm:ss')"/>
          </xsl:when>
          <xsl:otherwise>
            <xsl:value-of select="concat(format-number($days * 86400 + $seconds, '0'), ';D;',
                                         substring-after(substring-after($tokens, ' '), ' '))"/>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="seconds">
          <xsl:call-template name="time-seconds">
            <xsl:with-param name="time" select="$t1"/>
          </xsl:call-template>
        </xsl:variable>
        <xsl:choose>
          <xsl:when test="$seconds = 'x'">
            <xsl:value-of select="concat('x;&quot;', $t1, '&quot; is not a time of day hh:mm:ss')"/>
          </xsl:when>
          <xsl:otherwise>
            <xsl:value-of select="concat($seconds, ';T;', substring-after($tokens, ' '))"/>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- "yyyy/mm/dd" -> days since 2000-01-01, or "x". Dates start in 2001:
       smaller values stand for bare times of day in the file. -->
  <xsl:template name="date-days">
    <xsl:param name="date"/>
    <xsl:variable name="y" select="substring-before($date, '/')"/>
    <xsl:variable name="m" select="substring-before(substring-after($date, '/'), '/')"/>
    <xsl:variable name="d" select="substring-after(substring-after($date, '/'), '/')"/>
    <xsl:variable name="leap" select="number($y mod 4 = 0)"/>
    <xsl:choose>
      <xsl:when test="string-length($y) != 4 or translate($y, '0123456789', '') != ''
                      or string-length($m) &lt; 1 or string-length($m) &gt; 2 or translate($m, '0123456789', '') != ''
                      or string-length($d) &lt; 1 or string-length($d) &gt; 2 or translate($d, '0123456789', '') != ''">x</xsl:when>
      <xsl:when test="$y &lt; 2001 or $y &gt; 2099 or $m &lt; 1 or $m &gt; 12 or $d &lt; 1">x</xsl:when>
      <xsl:when test="$d &gt; number(substring($days-in, ($m - 1) * 2 + 1, 2)) + $leap * number($m = 2)">x</xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="($y - 2000) * 365 + floor(($y - 2000 + 3) div 4)
                              + number(substring($days-before, ($m - 1) * 3 + 1, 3))
                              + $leap * number($m &gt; 2) + $d - 1"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- "hh:mm:ss" or "hh:mm" -> seconds, or "x". -->
  <xsl:template name="time-seconds">
    <xsl:param name="time"/>
    <xsl:variable name="h" select="substring-before($time, ':')"/>
    <xsl:variable name="ms" select="substring-after($time, ':')"/>
    <xsl:variable name="m">
      <xsl:choose>
        <xsl:when test="contains($ms, ':')">
          <xsl:value-of select="substring-before($ms, ':')"/>
        </xsl:when>
        <xsl:otherwise>
          <xsl:value-of select="$ms"/>
        </xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:variable name="s">
      <xsl:choose>
        <xsl:when test="contains($ms, ':')">
          <xsl:value-of select="substring-after($ms, ':')"/>
        </xsl:when>
        <xsl:otherwise>0</xsl:otherwise>
      </xsl:choose>
    </xsl:variable>
    <xsl:choose>
      <xsl:when test="string-length($h) &lt; 1 or string-length($h) &gt; 2 or translate($h, '0123456789', '') != ''
                      or string-length($m) != 2 or translate($m, '0123456789', '') != ''
                      or string-length($s) &lt; 1 or string-length($s) &gt; 2 or translate($s, '0123456789', '') != ''">x</xsl:when>
      <xsl:when test="$h &gt; 23 or $m &gt; 59 or $s &gt; 59">x</xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="$h * 3600 + $m * 60 + $s"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- "Mo Tu ..." (tokens ending with a space) -> mask, bit 0 Monday to
       bit 6 Sunday, or "x;reason". -->
  <xsl:template name="weekday-mask">
    <xsl:param name="tokens"/>
    <xsl:param name="mask" select="0"/>
    <xsl:param name="seen" select="''"/>
    <xsl:variable name="day" select="translate(substring-before($tokens, ' '), $lower, $upper)"/>
    <xsl:variable name="position" select="string-length(substring-before('MOTUWETHFRSASU', $day)) div 2"/>
    <xsl:choose>
      <xsl:when test="normalize-space($tokens) = ''">
        <xsl:value-of select="$mask"/>
      </xsl:when>
      <xsl:when test="string-length($day) != 2 or not(contains('MOTUWETHFRSASU', $day))
                      or $position != floor($position)">
        <xsl:value-of select="concat('x;&quot;', substring-before($tokens, ' '), '&quot; is not a weekday (Mo Tu We Th Fr Sa Su)')"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:call-template name="weekday-mask">
          <xsl:with-param name="tokens" select="substring-after($tokens, ' ')"/>
          <xsl:with-param name="mask">
            <xsl:choose>
              <xsl:when test="contains($seen, $day)">
                <xsl:value-of select="$mask"/>
              </xsl:when>
              <xsl:otherwise>
                <xsl:value-of select="$mask + number(substring('001002004008016032064', $position * 3 + 1, 3))"/>
              </xsl:otherwise>
            </xsl:choose>
          </xsl:with-param>
          <xsl:with-param name="seen" select="concat($seen, $day, ' ')"/>
        </xsl:call-template>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- ===================== report ===================== -->

  <xsl:template name="report">
    <xsl:variable name="machine-label">
      <xsl:for-each select="$machine">
        <xsl:call-template name="quoted-name-or-id"/>
      </xsl:for-each>
    </xsl:variable>
    <xsl:if test="not($machine)">
      <xsl:variable name="models"
                    select="//*[(substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='Model' or local-name()='Model'
                                 or local-name()='Model_Management.Model')
                                and not(@xmi.idref) and not(@*[local-name()='idref']) and not(ancestor::*[local-name()='Extension' or local-name()='XMI.extension'])]"/>
      <xsl:choose>
        <xsl:when test="$models">
          <xsl:for-each select="$models[1]">
            <xsl:call-template name="note">
              <xsl:with-param name="kind" select="'model'"/>
              <xsl:with-param name="reason" select="'it holds no UML state machine, so the result has no relays'"/>
            </xsl:call-template>
          </xsl:for-each>
        </xsl:when>
        <xsl:otherwise>
          <xsl:message>file not mapped: it holds no UML model and no state machine, so the result has no relays</xsl:message>
        </xsl:otherwise>
      </xsl:choose>
    </xsl:if>
    <xsl:for-each select="$machines[generate-id() != $machine-gid]">
      <xsl:call-template name="note">
        <xsl:with-param name="kind" select="'state machine'"/>
        <xsl:with-param name="reason" select="concat('only one state machine is converted, ', $machine-label)"/>
      </xsl:call-template>
    </xsl:for-each>

    <!-- Each region of the converted machine is analysed once: what it is,
         then each of its states that did not become a relay's off or on
         state (a composite state without inner states counts as one). -->
    <xsl:for-each select="$machine/descendant::*[(local-name()='region' or local-name()='CompositeState'
                                                  or local-name()='Behavioral_Elements.State_Machines.CompositeState')
                                                 and not(@xmi.idref)
                                                 and not(ancestor::*[local-name()='Extension' or local-name()='XMI.extension'])]">
      <xsl:variable name="region-gid" select="generate-id()"/>
      <xsl:variable name="analysis">
        <xsl:call-template name="analyse-region">
          <xsl:with-param name="region" select="."/>
        </xsl:call-template>
      </xsl:variable>
      <xsl:variable name="n" select="substring-before(substring-after($analysis, 'ok;'), ';')"/>
      <xsl:variable name="entry" select="substring-before(substring-after(concat('&#10;', $relay-table), concat('&#10;{', $n, '}')), '&#10;')"/>
      <xsl:variable name="label">
        <xsl:call-template name="region-label"/>
      </xsl:variable>
      <xsl:choose>
        <xsl:when test="starts-with($analysis, 'no;')">
          <xsl:call-template name="note">
            <xsl:with-param name="kind" select="'region'"/>
            <xsl:with-param name="label" select="$label"/>
            <xsl:with-param name="reason" select="concat('it is not a relay: ', substring-after($analysis, 'no;'))"/>
          </xsl:call-template>
        </xsl:when>
        <xsl:when test="starts-with($analysis, 'ok;') and substring-before($entry, ';') != $region-gid">
          <xsl:call-template name="note">
            <xsl:with-param name="kind" select="'region'"/>
            <xsl:with-param name="label" select="$label"/>
            <xsl:with-param name="reason" select="concat('an earlier region already gives relay R', $n)"/>
          </xsl:call-template>
        </xsl:when>
      </xsl:choose>
      <xsl:for-each select="key('in-region', $region-gid)[(substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='State'
                               or local-name()='SimpleState' or local-name()='SubmachineState' or local-name()='State'
                               or local-name()='CompositeState'
                               or local-name()='Behavioral_Elements.State_Machines.SimpleState'
                               or local-name()='Behavioral_Elements.State_Machines.SubmachineState'
                               or local-name()='Behavioral_Elements.State_Machines.CompositeState'
                               or local-name()='Behavioral_Elements.State_Machines.State')
                              and not(*[local-name()='region']/*[local-name()='subvertex' and substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='State']
                                 or *[local-name()='CompositeState.subvertex'
                                      or local-name()='Behavioral_Elements.State_Machines.CompositeState.subvertex']/*[
                                        local-name()='SimpleState' or local-name()='CompositeState' or local-name()='SubmachineState'
                                        or local-name()='Behavioral_Elements.State_Machines.SimpleState'
                                        or local-name()='Behavioral_Elements.State_Machines.CompositeState'
                                        or local-name()='Behavioral_Elements.State_Machines.SubmachineState'
                                        or local-name()='Behavioral_Elements.State_Machines.State'])]">
        <xsl:variable name="reason">
          <xsl:choose>
            <xsl:when test="not(starts-with($analysis, 'ok;'))">
              <xsl:value-of select="concat('its region ', $label, ' is not a relay')"/>
            </xsl:when>
            <xsl:when test="substring-before($entry, ';') != $region-gid">
              <xsl:value-of select="concat('its region ', $label, ' repeats relay R', $n)"/>
            </xsl:when>
            <xsl:when test="contains(concat(';', $entry, ';'), concat(';', generate-id(), ';'))"/>
            <xsl:otherwise>
              <xsl:value-of select="concat('relay R', $n, ' has only an off and an on state; this is a further state of its region ', $label)"/>
            </xsl:otherwise>
          </xsl:choose>
        </xsl:variable>
        <xsl:if test="$reason != ''">
          <xsl:call-template name="note">
            <xsl:with-param name="kind" select="'state'"/>
            <xsl:with-param name="reason" select="$reason"/>
          </xsl:call-template>
        </xsl:if>
      </xsl:for-each>
    </xsl:for-each>

    <!-- States that no region of the converted machine holds. -->
    <xsl:for-each select="//*[(substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='State'
                               or local-name()='SimpleState' or local-name()='SubmachineState' or local-name()='State'
                               or local-name()='CompositeState'
                               or local-name()='Behavioral_Elements.State_Machines.SimpleState'
                               or local-name()='Behavioral_Elements.State_Machines.SubmachineState'
                               or local-name()='Behavioral_Elements.State_Machines.CompositeState'
                               or local-name()='Behavioral_Elements.State_Machines.State')
                              and not(*[local-name()='region']/*[local-name()='subvertex' and substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='State']
                                 or *[local-name()='CompositeState.subvertex'
                                      or local-name()='Behavioral_Elements.State_Machines.CompositeState.subvertex']/*[
                                        local-name()='SimpleState' or local-name()='CompositeState' or local-name()='SubmachineState'
                                        or local-name()='Behavioral_Elements.State_Machines.SimpleState'
                                        or local-name()='Behavioral_Elements.State_Machines.CompositeState'
                                        or local-name()='Behavioral_Elements.State_Machines.SubmachineState'
                                        or local-name()='Behavioral_Elements.State_Machines.State'])
                              and not(parent::*[local-name()='StateMachine.top'
                                                or local-name()='Behavioral_Elements.State_Machines.StateMachine.top'])
                              and not(@xmi.idref) and not(@*[local-name()='idref'])
                              and not(ancestor::*[local-name()='Extension' or local-name()='XMI.extension'])]">
      <xsl:variable name="reason">
        <xsl:choose>
          <xsl:when test="not($machine)">it is not part of any UML state machine</xsl:when>
          <xsl:when test="not(ancestor::*[generate-id() = $machine-gid])">
            <xsl:value-of select="concat('it is not part of the converted state machine ', $machine-label)"/>
          </xsl:when>
          <xsl:when test="not(parent::*[local-name()='region']
                              | parent::*[local-name()='CompositeState.subvertex'
                                          or local-name()='Behavioral_Elements.State_Machines.CompositeState.subvertex'])">it is not inside a region of the state machine</xsl:when>
        </xsl:choose>
      </xsl:variable>
      <xsl:if test="$reason != ''">
        <xsl:call-template name="note">
          <xsl:with-param name="kind" select="'state'"/>
          <xsl:with-param name="reason" select="$reason"/>
        </xsl:call-template>
      </xsl:if>
    </xsl:for-each>

    <xsl:call-template name="report-timer-lines"/>
  </xsl:template>

  <!-- One report line about the context element:
         kind "name" (id id) not mapped: reason
       label stands in for "name" where given; "(id ...)" is left out for
       an element without an id. -->
  <xsl:template name="note">
    <xsl:param name="kind"/>
    <xsl:param name="reason"/>
    <xsl:param name="label">
      <xsl:text>"</xsl:text>
      <xsl:call-template name="name-of"/>
      <xsl:text>"</xsl:text>
    </xsl:param>
    <xsl:variable name="id">
      <xsl:call-template name="id-of"/>
    </xsl:variable>
    <xsl:message>
      <xsl:value-of select="concat($kind, ' ', $label)"/>
      <xsl:if test="$id != ''">
        <xsl:value-of select="concat(' (id ', $id, ')')"/>
      </xsl:if>
      <xsl:value-of select="concat(' not mapped: ', $reason)"/>
    </xsl:message>
  </xsl:template>

  <!-- The context element as the reports name it: "its name", or the id of
       an unnamed one. -->
  <xsl:template name="quoted-name-or-id">
    <xsl:variable name="name">
      <xsl:call-template name="name-of"/>
    </xsl:variable>
    <xsl:choose>
      <xsl:when test="$name != ''">
        <xsl:value-of select="concat('&quot;', $name, '&quot;')"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:text>the one with the id </xsl:text>
        <xsl:call-template name="id-of"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- The context region as the reports name it: "its name", or for an
       unnamed one (the usual case in several tools) its states:
       with the states Idle, Running. -->
  <xsl:template name="region-label">
    <xsl:variable name="name">
      <xsl:call-template name="name-of"/>
    </xsl:variable>
    <xsl:variable name="named" select="key('in-region', generate-id())[(substring-after(@*[local-name()='type' and namespace-uri()!=''], ':')='State'
                               or local-name()='SimpleState' or local-name()='SubmachineState' or local-name()='State'
                               or local-name()='CompositeState'
                               or local-name()='Behavioral_Elements.State_Machines.SimpleState'
                               or local-name()='Behavioral_Elements.State_Machines.SubmachineState'
                               or local-name()='Behavioral_Elements.State_Machines.CompositeState'
                               or local-name()='Behavioral_Elements.State_Machines.State')
                                        and normalize-space(@name | *[local-name()='ModelElement.name'
                                                            or local-name()='Foundation.Core.ModelElement.name']) != '']"/>
    <xsl:choose>
      <xsl:when test="$name != '' or not($named)">
        <xsl:value-of select="concat('&quot;', $name, '&quot;')"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:text>with the state</xsl:text>
        <xsl:if test="count($named) &gt; 1">s</xsl:if>
        <xsl:text> </xsl:text>
        <xsl:for-each select="$named[position() &lt;= 4]">
          <xsl:if test="position() &gt; 1">, </xsl:if>
          <xsl:call-template name="name-of"/>
        </xsl:for-each>
        <xsl:if test="count($named) &gt; 4">
          <xsl:value-of select="concat(' and ', count($named) - 4, ' more')"/>
        </xsl:if>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <!-- ===================== helpers ===================== -->

  <xsl:template name="name-of">
    <xsl:choose>
      <xsl:when test="@name">
        <xsl:value-of select="@name"/>
      </xsl:when>
      <xsl:otherwise>
        <xsl:value-of select="*[local-name()='ModelElement.name' or local-name()='Foundation.Core.ModelElement.name']"/>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

  <xsl:template name="id-of">
    <xsl:value-of select="(@*[local-name()='id' and namespace-uri()!=''] | @xmi.id)[1]"/>
  </xsl:template>

  <!-- The id of the context transition's source. -->
  <xsl:template name="source-of">
    <xsl:value-of select="(@source | *[local-name()='source']/@*[local-name()='idref']
                           | *[local-name()='Transition.source'
                               or local-name()='Behavioral_Elements.State_Machines.Transition.source']/*/@xmi.idref)[1]"/>
  </xsl:template>

  <!-- The id of the context transition's target. -->
  <xsl:template name="target-of">
    <xsl:value-of select="(@target | *[local-name()='target']/@*[local-name()='idref']
                           | *[local-name()='Transition.target'
                               or local-name()='Behavioral_Elements.State_Machines.Transition.target']/*/@xmi.idref)[1]"/>
  </xsl:template>

  <!-- Walks the machines in document order and gives the generated id of
       the first with a relay region, else of the first machine. -->
  <xsl:template name="choose-machine">
    <xsl:param name="index"/>
    <xsl:choose>
      <xsl:when test="$index &gt; count($machines)">
        <xsl:if test="$machines">
          <xsl:value-of select="generate-id($machines[1])"/>
        </xsl:if>
      </xsl:when>
      <xsl:otherwise>
        <xsl:variable name="found">
          <xsl:for-each select="$machines[$index]/descendant::*[(local-name()='region' or local-name()='CompositeState'
                                                                  or local-name()='Behavioral_Elements.State_Machines.CompositeState')
                                                                 and not(@xmi.idref)
                                                                 and not(ancestor::*[local-name()='Extension' or local-name()='XMI.extension'])]">
            <xsl:variable name="analysis">
              <xsl:call-template name="analyse-region">
                <xsl:with-param name="region" select="."/>
              </xsl:call-template>
            </xsl:variable>
            <xsl:if test="starts-with($analysis, 'ok;')">ok</xsl:if>
          </xsl:for-each>
        </xsl:variable>
        <xsl:choose>
          <xsl:when test="$found != ''">
            <xsl:value-of select="generate-id($machines[$index])"/>
          </xsl:when>
          <xsl:otherwise>
            <xsl:call-template name="choose-machine">
              <xsl:with-param name="index" select="$index + 1"/>
            </xsl:call-template>
          </xsl:otherwise>
        </xsl:choose>
      </xsl:otherwise>
    </xsl:choose>
  </xsl:template>

</xsl:stylesheet>
